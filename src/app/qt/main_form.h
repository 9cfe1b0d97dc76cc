#pragma once

#include "app/logic/start_request.h"
#include "app/qt/save_dialog.h"
#include "export/export_run.h"
#include "timetable/table_component.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>

class QLabel;
class QPushButton;
class QWindow;

namespace app::qt {

class HostWindowWatcher;
class PictureButton;
class TDraw3D;

// The main window MForm: two gradient panels with a heading, a version line and three buttons
// (export, close, help), 620 by 266 pixels at the design's text height. In host mode it lives
// without a frame inside the host program's window. Closing it ends the program.
class TMForm : public QWidget, public exporter::ExportUi
{
    Q_OBJECT

public:
    // Builds the window from its layout, hidden; the request is what the command line asks for.
    explicit TMForm(logic::StartRequest request, QWidget* parent = nullptr);
    ~TMForm() override;

    // Sets the outcome flag to 0 and, with two arguments, reads the host window handle (throws
    // platform::UserError when it is not readable), takes the frame away and sets the saved argument
    // count to 2.
    void FormCreate();
    // Starts the export run when the command word asks for it (host mode, "importar" in any case).
    void FormShow();
    // In host mode writes the outcome flag to the host ini file (throws platform::UserError when it
    // cannot be written).
    void FormClose();
    // The export run.
    void BImportarClick();
    // Shows the help file's table of contents.
    void Button1Click();

    // After FormCreate: creates the native window, in host mode inside the host window. Answers the
    // failure text when the host window cannot hold it (no such window, or a window system without
    // foreign windows); the window is then not to be shown.
    std::optional<std::string> createNativeWindow();
    // Runs FormShow at the event boundary, then places the window (centred on the screen, or in the
    // host window's area) and shows it, unless it was closed meanwhile.
    void showAtStartup();
    // The close request: runs FormClose at the event boundary; when it went through the window hides
    // and closed() is emitted, else the window stays. Answers whether the window closed.
    bool requestClose();

    exporter::AppState& appState() { return m_state; }
    const logic::StartRequest& startRequest() const { return m_request; }
    // The host window the window lives in (nothing when top-level, also for a handle of 0).
    std::optional<std::uint32_t> hostWindow() const { return m_host; }
    bool hasClosed() const { return m_closed; }
    // The window font's text height on this display, which scales the whole layout (13 as designed).
    int measuredTextHeight() const { return m_textHeight; }

    // The help context of a widget: the first non-zero "helpContext" property from the widget outwards
    // through its parents; 0 when there is none.
    static int helpContextOf(const QWidget* widget);

    std::optional<std::string> askSaveFileName() override;
    void showInfo(const std::string& text) override;
    void hideExportButton() override;
    void setDefaultCursor() override;
    void closeMainWindow() override;

    // The window elements, named as in the form design.
    TDraw3D* Draw3D3 = nullptr;
    QLabel* Label4 = nullptr;
    PictureButton* BImportar = nullptr;
    TDraw3D* Draw3D1 = nullptr;
    QLabel* Label1 = nullptr;
    PictureButton* BClose = nullptr;
    QPushButton* Button1 = nullptr;
    XmlSaveDialog SaveDialogXML;

signals:
    // The window has closed; the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    QRect designRect(int left, int top, int width, int height) const;
    void helpRequested();
    void hostWindowDestroyed();

    logic::StartRequest m_request;
    exporter::AppState m_state;
    timetable::TimetableTables m_tables;
    int m_textHeight = 0;
    std::optional<std::uint32_t> m_host;
    QPointer<QWindow> m_hostWindow;
    HostWindowWatcher* m_watcher = nullptr;
    bool m_closed = false;
};

} // namespace app::qt
