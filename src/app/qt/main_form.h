#pragma once

#include "app/logic/main_window.h"
#include "app/qt/save_dialog.h"

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

// The main window MForm, built from logic::MainWindowLayout: two gradient panels with a heading, a
// version line and three buttons (export, close, help), 620 by 266 pixels at the design's text height.
// What it does is logic::MainWindowController's; this class is its window under Qt (and X11 for the
// host window). Closing it ends the program.
class TMForm : public QWidget, public logic::MainWindowView
{
    Q_OBJECT

public:
    // Builds the window from its layout, hidden; the request is what the command line asks for.
    explicit TMForm(logic::StartRequest request, QWidget* parent = nullptr);
    ~TMForm() override;

    logic::MainWindowController& controller() { return m_controller; }

    // See logic::MainWindowController.
    void showAtStartup() { m_controller.showAtStartup(); }
    bool requestClose() { return m_controller.requestClose(); }
    const exporter::AppState& appState() const { return m_controller.appState(); }
    std::optional<std::uint32_t> hostWindow() const { return m_controller.hostWindow(); }
    bool hasClosed() const { return m_controller.hasClosed(); }
    // The window font's text height on this display, which scales the whole layout (13 as designed).
    int measuredTextHeight() const { return m_textHeight; }

    // The window elements, named as in the form design.
    TDraw3D* Draw3D3 = nullptr;
    QLabel* Label4 = nullptr;
    PictureButton* BImportar = nullptr;
    TDraw3D* Draw3D1 = nullptr;
    QLabel* Label1 = nullptr;
    PictureButton* BClose = nullptr;
    QPushButton* Button1 = nullptr;
    XmlSaveDialog SaveDialogXML;

    // logic::MainWindowView
    void removeFrame() override;
    bool createTopLevelWindow() override;
    logic::HostWindowCheck checkHostWindow(std::uint32_t host) override;
    logic::HostWindowCheck createInsideHostWindow(std::uint32_t host) override;
    std::uintptr_t nativeHandle() override;
    logic::Size screenSize() override;
    std::optional<logic::Size> hostAreaSize(std::uint32_t host) override;
    logic::Size outerSize() override;
    void showAt(logic::Position position) override;
    bool isInsideHostWindow(std::uint32_t host) override;
    void focusInsideHostWindow() override;
    void hideWindow() override;
    void windowClosed() override;
    bool isHostChild() override;
    std::optional<std::string> askSaveFileName(const std::string& offeredName, logic::DialogOwner owner) override;
    void showPlainMessage(const std::string& text) override;
    void showErrorBox(const std::string& text) override;
    void hideExportButton() override;
    void setDefaultCursor() override;

signals:
    // The window has closed; the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    QWidget* createElement(const logic::ElementLayout& layout, QWidget* parent);
    QRect designRect(const logic::Rect& rect) const;
    // The element that F1 names for a widget: the widget or the first widget around it that is one of
    // the layout's elements; the window itself when none is.
    logic::Element elementOf(const QWidget* widget) const;

    logic::MainWindowController m_controller;
    int m_textHeight = 0;
    QPointer<QWindow> m_hostWindow;
    HostWindowWatcher* m_watcher = nullptr;
};

} // namespace app::qt
