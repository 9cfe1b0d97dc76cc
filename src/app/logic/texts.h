#pragma once

// The texts of the desktop program that the user sees (UTF-8).
namespace app::logic::texts {

// Names the taskbar entry; the caption of the plain message box and of the error box.
inline constexpr const char* ApplicationTitle = "TransSelvarEDUCA";
inline constexpr const char* HelpFile = "EDUCA.chm";

inline constexpr const char* WindowCaption = "Exportar datos horarios a EDUCA (Navarra)";
inline constexpr const char* Heading = "Transformar datos y horario desde Morvanta hacia EDUCA";
inline constexpr const char* VersionLine = "TransMorvantaEDUCA para QT47 V-1.0";
inline constexpr const char* ExportCaption = "Aceptar";
inline constexpr const char* CloseCaption = "&Salir";
inline constexpr const char* HelpCaption = "F1 AYUDA";

inline constexpr const char* SaveDialogTitle = "Guardar Archivo XML";
inline constexpr const char* SaveDialogFilter = "*.xml";
inline constexpr const char* SaveDialogSuffix = "xml";

inline constexpr const char* MessageBoxButton = "Aceptar";

// The export run's two messages.
inline constexpr const char* NoFileName = "Debe indicar un Nombre de Archivo";
inline constexpr const char* Finished = "Proceso finalizado";

// The system refused to create the main window.
inline constexpr const char* MainWindowNotCreated = "No se puede crear la ventana principal del programa";

// A failure whose kind the program does not know.
inline constexpr const char* UnexpectedFailure = "Se ha producido un error inesperado";

// The host window handle names no window the program can go into; {:X} is the handle.
inline constexpr const char* HostWindowMissing
    = "No existe la ventana {:X} del programa anfitrión: no se puede crear la ventana del programa dentro de ella";
inline constexpr const char* HostWindowRefused
    = "La ventana {:X} del programa anfitrión existe, pero el sistema no ha permitido crear la ventana del programa "
      "dentro de ella";

} // namespace app::logic::texts
