#include "app/qt/main_form.h"

#include "app/logic/layout.h"
#include "app/logic/texts.h"
#include "app/qt/draw_3d.h"
#include "app/qt/host_window.h"
#include "app/qt/message_boxes.h"
#include "app/qt/picture_button.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWindow>
#include <map>

namespace app::qt {

namespace {

constexpr const char* HelpContextProperty = "helpContext";
// An embedded window gets no keys until the host hands it the focus; give it once the window
// system has shown it.
constexpr int EmbeddedFocusDelayMs = 300;

QString qText(const char* text)
{
    return QString::fromUtf8(text ? text : "");
}

// The font of the layout: its first family that the system has, then the next.
QFont qFont(const logic::FontSpec& spec)
{
    QStringList families;
    for (const std::string_view family : spec.families) {
        if (!family.empty())
            families.append(QString::fromUtf8(family.data(), qsizetype(family.size())));
    }
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(spec.characterHeight);
    if (spec.bold)
        font.setBold(true);
    return font;
}

} // namespace

TMForm::TMForm(logic::StartRequest request, QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , m_controller(std::move(request), *this)
{
    const logic::ElementLayout& window = logic::layoutOf(logic::Element::MForm);
    setObjectName(QString::fromUtf8(window.name.data(), qsizetype(window.name.size())));
    setWindowTitle(qText(window.text));
    setFont(qFont(*window.font));
    m_textHeight = QFontMetrics(font()).height();

    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, windowPalette.color(QPalette::Button));
    setPalette(windowPalette);
    setAutoFillBackground(true);
    setProperty(HelpContextProperty, window.helpContext);

    buildLayout();

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] {
        const QWidget* focused = focusWidget();
        m_controller.helpKeyPressed(elementOf(focused ? focused : this));
    });
}

TMForm::~TMForm()
{
    // The native window lives inside the foreign one; it goes first.
    if (m_hostWindow) {
        destroy();
        delete m_hostWindow;
    }
}

QRect TMForm::designRect(const logic::Rect& rect) const
{
    const logic::Rect scaled = logic::scaledRect(rect, m_textHeight);
    return {scaled.left, scaled.top, scaled.width, scaled.height};
}

QWidget* TMForm::createElement(const logic::ElementLayout& layout, QWidget* parent)
{
    QWidget* widget = nullptr;
    switch (layout.kind) {
    case logic::ElementKind::Window:
        return this;
    case logic::ElementKind::GradientPanel:
        widget = new TDraw3D(*layout.colours, parent);
        widget->setGeometry(designRect(layout.rect));
        break;
    case logic::ElementKind::Label: {
        auto* label = new QLabel(qText(layout.text), parent);
        if (layout.font) {
            label->setFont(qFont(*layout.font));
            if (layout.font->colour) {
                QPalette coloured = label->palette();
                const logic::Rgb colour = *layout.font->colour;
                coloured.setColor(QPalette::WindowText, QColor(colour.red, colour.green, colour.blue));
                label->setPalette(coloured);
            }
        }
        if (logic::fitsItsText(layout)) {
            label->move(designRect(layout.rect).topLeft());
            label->adjustSize();
        } else {
            label->setGeometry(designRect(layout.rect));
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        label->setWordWrap(layout.wordWrap);
        // Transparent: the panel's gradient shows behind the text.
        label->setAutoFillBackground(false);
        label->setAttribute(Qt::WA_TranslucentBackground);
        widget = label;
        break;
    }
    case logic::ElementKind::PictureButton:
    case logic::ElementKind::PushButton: {
        QPushButton* button = layout.kind == logic::ElementKind::PictureButton
            ? new PictureButton(qText(layout.text), layout.picture, parent)
            : new QPushButton(qText(layout.text), parent);
        button->setGeometry(designRect(layout.rect));
        button->setDefault(layout.isDefault);
        // Enter presses whichever button has the focus.
        button->setAutoDefault(true);
        const logic::Element element = layout.element;
        connect(button, &QPushButton::clicked, this, [this, element] { m_controller.buttonPressed(element); });
        // The caption's access key with Alt comes from Qt's mnemonic; the letter alone presses it too.
        if (const auto key = logic::accessKey(layout.text ? layout.text : "")) {
            auto* shortcut = new QShortcut(QKeySequence(int(*key)), this);
            connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
        }
        widget = button;
        break;
    }
    }
    widget->setObjectName(QString::fromUtf8(layout.name.data(), qsizetype(layout.name.size())));
    widget->setFocusPolicy(layout.tabPosition > 0 ? Qt::StrongFocus : Qt::NoFocus);
    if (layout.helpContext != 0)
        widget->setProperty(HelpContextProperty, layout.helpContext);
    return widget;
}

void TMForm::buildLayout()
{
    setFixedSize(designRect(logic::layoutOf(logic::Element::MForm).rect).size());

    std::map<logic::Element, QWidget*> widgets;
    // In the table's order, parents before their children and siblings from back to front.
    for (const logic::ElementLayout& layout : logic::MainWindowLayout)
        widgets[layout.element] = createElement(layout, widgets.count(layout.parent) ? widgets[layout.parent] : this);

    Draw3D3 = static_cast<TDraw3D*>(widgets[logic::Element::Draw3D3]);
    Label4 = static_cast<QLabel*>(widgets[logic::Element::Label4]);
    BImportar = static_cast<PictureButton*>(widgets[logic::Element::BImportar]);
    Draw3D1 = static_cast<TDraw3D*>(widgets[logic::Element::Draw3D1]);
    Label1 = static_cast<QLabel*>(widgets[logic::Element::Label1]);
    BClose = static_cast<PictureButton*>(widgets[logic::Element::BClose]);
    Button1 = static_cast<QPushButton*>(widgets[logic::Element::Button1]);

    const std::vector<logic::Element> order = logic::tabOrder();
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        setTabOrder(widgets[order[i]], widgets[order[i + 1]]);
    if (!order.empty())
        widgets[order.front()]->setFocus();
}

logic::Element TMForm::elementOf(const QWidget* widget) const
{
    for (; widget; widget = widget->parentWidget()) {
        if (const auto element = logic::elementNamed(widget->objectName().toStdString()))
            return *element;
        if (widget == this)
            break;
    }
    return logic::Element::MForm;
}

void TMForm::closeEvent(QCloseEvent* event)
{
    if (m_controller.requestClose())
        event->accept();
    else
        event->ignore();
}

void TMForm::removeFrame()
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
}

bool TMForm::createTopLevelWindow()
{
    return winId() != 0;
}

logic::HostWindowCheck TMForm::checkHostWindow(std::uint32_t host)
{
    return qt::checkHostWindow(host);
}

logic::HostWindowCheck TMForm::createInsideHostWindow(std::uint32_t host)
{
    m_watcher = new HostWindowWatcher(host, this);
    connect(m_watcher, &HostWindowWatcher::hostDestroyed, this, [this] { m_controller.hostWindowGone(); });
    if (!m_watcher->start())
        return logic::HostWindowCheck::Missing;
    // Reparented before it is ever shown, so that no window manager puts a frame around it.
    winId();
    m_hostWindow = QWindow::fromWinId(host);
    windowHandle()->setParent(m_hostWindow);
    return logic::HostWindowCheck::Usable;
}

std::uintptr_t TMForm::nativeHandle()
{
    return std::uintptr_t(winId());
}

logic::Size TMForm::screenSize()
{
    const QSize screen = QGuiApplication::primaryScreen()->size();
    return {screen.width(), screen.height()};
}

std::optional<logic::Size> TMForm::hostAreaSize(std::uint32_t host)
{
    const auto area = hostWindowSize(host);
    if (!area)
        return std::nullopt;
    return logic::Size {area->width(), area->height()};
}

logic::Size TMForm::outerSize()
{
    // Inside another program's window there is no frame: the window's own size is its outer size.
    const QSize outer = m_hostWindow ? size() : frameGeometry().size();
    return {outer.width(), outer.height()};
}

void TMForm::showAt(logic::Position position)
{
    move(position.left, position.top);
    show();
}

bool TMForm::isInsideHostWindow(std::uint32_t host)
{
    return qt::isInsideHostWindow(winId(), host);
}

void TMForm::focusInsideHostWindow()
{
    QTimer::singleShot(EmbeddedFocusDelayMs, this, [this] {
        if (!m_controller.hasClosed())
            focusNativeWindow(winId());
    });
}

void TMForm::hideWindow()
{
    hide();
}

void TMForm::windowClosed()
{
    emit closed();
}

bool TMForm::isHostChild()
{
    // X11 takes the window into the host window as its child.
    return true;
}

std::optional<std::string> TMForm::askSaveFileName(const std::string& offeredName, logic::DialogOwner owner)
{
    // The application owns no window under Qt: its dialog has no parent.
    QWidget* parent = owner == logic::DialogOwner::MainWindow ? this : nullptr;
    const auto chosen = SaveDialogXML.execute(parent, this, QString::fromStdString(offeredName));
    if (!chosen)
        return std::nullopt;
    return chosen->toStdString();
}

void TMForm::showPlainMessage(const std::string& text)
{
    qt::showPlainMessage(QString::fromStdString(text));
}

void TMForm::showErrorBox(const std::string& text)
{
    qt::showErrorBox(text);
}

void TMForm::hideExportButton()
{
    BImportar->hide();
}

void TMForm::setDefaultCursor()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace app::qt
