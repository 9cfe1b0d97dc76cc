#include "app/qt/main_form.h"

#include "app/logic/host_ini.h"
#include "app/logic/window_geometry.h"
#include "app/qt/application.h"
#include "app/qt/draw_3d.h"
#include "app/qt/host_window.h"
#include "app/qt/message_boxes.h"
#include "app/qt/picture_button.h"
#include "app/qt/pictures.h"
#include "app/window_texts.h"
#include "help/help_requests.h"
#include "platform/paths.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWindow>
#include <fmt/format.h>

namespace app::qt {

namespace {

constexpr int hostArgumentCount = 2;
constexpr int windowHelpContext = 1;
constexpr const char* helpContextProperty = "helpContext";
// An embedded window gets no keys until the host hands it the focus; give it once the window
// system has shown it.
constexpr int embeddedFocusDelayMs = 300;

// "MS Sans Serif" 8 points: 11 pixels at 96 pixels per inch, text height 13.
QFont windowFont()
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    return font;
}

// "Arial", character height 16 pixels, bold.
QFont headingFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
        QStringLiteral("DejaVu Sans")});
    font.setPixelSize(16);
    font.setBold(true);
    return font;
}

void setHelpContext(QWidget* widget)
{
    widget->setProperty(helpContextProperty, windowHelpContext);
}

} // namespace

TMForm::TMForm(logic::StartRequest request, QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , m_request(std::move(request))
{
    setObjectName(QStringLiteral("MForm"));
    setWindowTitle(QString::fromUtf8(texts::WindowCaption));
    setFont(windowFont());
    m_textHeight = QFontMetrics(font()).height();

    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, windowPalette.color(QPalette::Button));
    setPalette(windowPalette);
    setAutoFillBackground(true);
    setHelpContext(this);

    buildLayout();

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { runHandler([this] { helpRequested(); }); });
    // Alt+S comes from the caption's mnemonic; the letter alone presses the close button too.
    auto* close = new QShortcut(QKeySequence(Qt::Key_S), this);
    connect(close, &QShortcut::activated, BClose, &QPushButton::click);
}

TMForm::~TMForm()
{
    // The native window lives inside the foreign one; it goes first.
    if (m_hostWindow) {
        destroy();
        delete m_hostWindow;
    }
}

QRect TMForm::designRect(int left, int top, int width, int height) const
{
    return {logic::scaleToDisplay(left, m_textHeight), logic::scaleToDisplay(top, m_textHeight),
        logic::scaleToDisplay(width, m_textHeight), logic::scaleToDisplay(height, m_textHeight)};
}

void TMForm::buildLayout()
{
    setFixedSize(designRect(0, 0, 620, 266).size());

    // The bottom panel first: where the two overlap (client row 168) the top panel lies in front.
    Draw3D1 = new TDraw3D(logic::bottomPanelColours, this);
    Draw3D1->setObjectName(QStringLiteral("Draw3D1"));
    Draw3D1->setGeometry(designRect(0, 168, 633, 97));
    setHelpContext(Draw3D1);

    Draw3D3 = new TDraw3D(logic::topPanelColours, this);
    Draw3D3->setObjectName(QStringLiteral("Draw3D3"));
    Draw3D3->setGeometry(designRect(18, 0, 601, 169));
    setHelpContext(Draw3D3);

    Label4 = new QLabel(QString::fromUtf8(texts::Heading), Draw3D3);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setFont(headingFont());
    Label4->setGeometry(designRect(67, 24, 473, 33));
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label4->setWordWrap(true);

    BImportar = new PictureButton(QString::fromUtf8(texts::ExportCaption), tickPicture(), Draw3D3);
    BImportar->setObjectName(QStringLiteral("BImportar"));
    BImportar->setGeometry(designRect(240, 120, 89, 25));
    BImportar->setDefault(true);

    Label1 = new QLabel(QString::fromUtf8(texts::VersionLine), Draw3D1);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont versionFont = font();
    versionFont.setBold(true);
    Label1->setFont(versionFont);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label1->setPalette(red);
    Label1->move(designRect(8, 72, 0, 0).topLeft());
    Label1->adjustSize();

    BClose = new PictureButton(QString::fromUtf8(texts::CloseCaption), doorPicture(), Draw3D1);
    BClose->setObjectName(QStringLiteral("BClose"));
    BClose->setGeometry(designRect(256, 32, 89, 25));

    Button1 = new QPushButton(QString::fromUtf8(texts::HelpCaption), Draw3D1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(designRect(265, 67, 75, 18));

    for (QLabel* label : {Label4, Label1}) {
        label->setAutoFillBackground(false);
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setFocusPolicy(Qt::NoFocus);
    }
    for (QPushButton* button : {static_cast<QPushButton*>(BClose), Button1, static_cast<QPushButton*>(BImportar)}) {
        button->setFocusPolicy(Qt::StrongFocus);
        // Enter presses whichever button has the focus.
        button->setAutoDefault(true);
        setHelpContext(button);
    }
    setTabOrder(BClose, Button1);
    setTabOrder(Button1, BImportar);
    BClose->setFocus();

    connect(BClose, &QPushButton::clicked, this, [this] { requestClose(); });
    connect(Button1, &QPushButton::clicked, this, [this] { runHandler([this] { Button1Click(); }); });
    connect(BImportar, &QPushButton::clicked, this, [this] { runHandler([this] { BImportarClick(); }); });
}

void TMForm::FormCreate()
{
    m_state.outcomeFlag = 0;
    if (m_request.argumentCount != hostArgumentCount)
        return;
    const std::uint32_t handle = m_request.requireHostHandle();
    if (handle != 0)
        m_host = handle;
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    m_state.savedArgumentCount = m_request.argumentCount;
}

std::optional<std::string> TMForm::createNativeWindow()
{
    if (!m_host) {
        winId();
        return std::nullopt;
    }
    const std::uint32_t host = *m_host;
    switch (checkHostWindow(host)) {
    case HostWindowCheck::Usable:
        break;
    case HostWindowCheck::Missing:
        return fmt::format(fmt::runtime(texts::HostWindowMissing), host);
    case HostWindowCheck::InputOnly:
        return fmt::format(fmt::runtime(texts::HostWindowInputOnly), host);
    case HostWindowCheck::Unsupported:
        return fmt::format(fmt::runtime(texts::HostWindowUnsupported), host);
    }

    m_watcher = new HostWindowWatcher(host, this);
    connect(m_watcher, &HostWindowWatcher::hostDestroyed, this, &TMForm::hostWindowDestroyed);
    if (!m_watcher->start())
        return fmt::format(fmt::runtime(texts::HostWindowMissing), host);

    // Reparented before it is ever shown, so that no window manager puts a frame around it.
    winId();
    m_hostWindow = QWindow::fromWinId(host);
    windowHandle()->setParent(m_hostWindow);
    return std::nullopt;
}

void TMForm::FormShow()
{
    if (m_request.startsExport)
        BImportarClick();
}

void TMForm::showAtStartup()
{
    runHandler([this] { FormShow(); });
    if (m_closed)
        return;

    logic::Position position;
    if (m_host) {
        const QSize area = hostWindowSize(*m_host).value_or(QSize());
        position = logic::centredPosition(area.width(), area.height(), width(), height());
    } else {
        const QSize screen = QGuiApplication::primaryScreen()->size();
        position = logic::centredPosition(
            screen.width(), screen.height(), frameGeometry().width(), frameGeometry().height());
    }
    move(position.left, position.top);
    show();

    if (m_host) {
        // The host may have gone between the check and now.
        if (!isInsideHostWindow(winId(), *m_host)) {
            hostWindowDestroyed();
            return;
        }
        QTimer::singleShot(embeddedFocusDelayMs, this, [this] {
            if (!m_closed)
                focusNativeWindow(winId());
        });
    }
}

void TMForm::FormClose()
{
    if (m_state.savedArgumentCount != hostArgumentCount)
        return;
    logic::writeOutcome(platform::programDirectory(), m_state.outcomeFlag);
}

bool TMForm::requestClose()
{
    if (m_closed)
        return true;
    if (!runHandler([this] { FormClose(); }))
        return false;
    m_closed = true;
    hide();
    emit closed();
    return true;
}

void TMForm::closeEvent(QCloseEvent* event)
{
    if (requestClose())
        event->accept();
    else
        event->ignore();
}

void TMForm::hostWindowDestroyed()
{
    if (m_closed)
        return;
    // Nothing is left to show the window in: the outcome is written as on any close, and the
    // program ends even when that fails.
    runHandler([this] { FormClose(); });
    m_closed = true;
    emit closed();
}

void TMForm::BImportarClick()
{
    exporter::runExport(m_tables, m_state, *this);
}

void TMForm::Button1Click()
{
    help::setApplicationHelpFile(texts::HelpFile);
    help::commandRequest(help::HelpContents, 0);
}

int TMForm::helpContextOf(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (const int context = widget->property(helpContextProperty).toInt(); context != 0)
            return context;
    }
    return 0;
}

void TMForm::helpRequested()
{
    const QWidget* focused = focusWidget();
    if (const int context = helpContextOf(focused ? focused : this); context != 0)
        help::contextRequest(context);
}

std::optional<std::string> TMForm::askSaveFileName()
{
    QWidget* owner = (isVisible() && !m_host) ? this : nullptr;
    const auto chosen = SaveDialogXML.execute(owner, this);
    if (!chosen)
        return std::nullopt;
    return chosen->toStdString();
}

void TMForm::showInfo(const std::string& text)
{
    showPlainMessage(QString::fromStdString(text));
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

void TMForm::closeMainWindow()
{
    requestClose();
}

} // namespace app::qt
