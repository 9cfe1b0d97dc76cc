#include "app/qt/message_boxes.h"

#include "app/logic/texts.h"
#include "app/logic/window_geometry.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace app::qt {

namespace {

constexpr int TextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;

QRect toQRect(const logic::Rect& rect)
{
    return {rect.left, rect.top, rect.width, rect.height};
}

QScreen* screenForBoxes()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    Q_ASSERT(screen);
    return screen;
}

} // namespace

PlainMessageBox::PlainMessageBox(const QString& message, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_message(message)
{
    setObjectName(QStringLiteral("PlainMessageBox"));
    setWindowTitle(QString::fromUtf8(logic::texts::ApplicationTitle));
    setWindowModality(Qt::ApplicationModal);

    const QFontMetrics metrics(font());
    const QRect screen = screenForBoxes()->geometry();

    logic::MessageBoxMetrics boxMetrics;
    boxMetrics.averageCharWidth = logic::averageCharWidth(metrics.horizontalAdvance(
        QString::fromLatin1(logic::AverageWidthSample.data(), qsizetype(logic::AverageWidthSample.size()))));
    boxMetrics.charHeight = metrics.height();
    const QRect textBounds
        = metrics.boundingRect(QRect(0, 0, logic::messageWrapWidth(screen.width()), 1 << 20), TextFlags, m_message);
    boxMetrics.text = {textBounds.width(), textBounds.height()};
    const QString caption = QString::fromUtf8(logic::texts::MessageBoxButton);
    boxMetrics.buttonCaptionWidth = metrics.horizontalAdvance(caption);
    m_layout = logic::layoutMessageBox(boxMetrics);

    m_button = new QPushButton(caption, this);
    m_button->setObjectName(QStringLiteral("Aceptar"));
    m_button->setGeometry(toQRect(m_layout.button));
    m_button->setDefault(true);
    m_button->setAutoDefault(true);
    // Esc and the close box reject the dialog; both end it just as the button does.
    connect(m_button, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(m_layout.client.width, m_layout.client.height);
    placeOnScreen();
}

void PlainMessageBox::placeOnScreen()
{
    // The frame as the window system has told it so far: none before the native window exists, and
    // under X11 none until the window manager has framed the window.
    logic::FrameMargins frame;
    if (const QWindow* window = windowHandle()) {
        const QMargins margins = window->frameMargins();
        frame = {margins.left(), margins.top(), margins.right(), margins.bottom()};
    }
    const QRect screen = screenForBoxes()->geometry();
    const logic::Position position = logic::centredByOuterSize(
        {screen.width(), screen.height()}, {m_layout.client.width, m_layout.client.height}, frame);
    move(screen.left() + position.left, screen.top() + position.top);
}

void PlainMessageBox::showEvent(QShowEvent* event)
{
    // Placed when the program shows it, not again when the window system shows it anew.
    if (!event->spontaneous())
        placeOnScreen();
    QDialog::showEvent(event);
}

QString PlainMessageBox::clipboardText() const
{
    return QString::fromStdString(logic::messageBoxClipboardText(
        logic::texts::ApplicationTitle, m_message.toStdString(), {std::string(logic::texts::MessageBoxButton)}));
}

void PlainMessageBox::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(toQRect(m_layout.text), TextFlags, m_message);
}

void PlainMessageBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        QApplication::beep();
        QGuiApplication::clipboard()->setText(clipboardText());
        return;
    }
    QDialog::keyPressEvent(event);
}

void showPlainMessage(const QString& message)
{
    PlainMessageBox box(message);
    box.exec();
}

void showErrorBox(const std::string& text)
{
    const QPointer<QWidget> activeWindow = QApplication::activeWindow();
    const QPointer<QWidget> focusWidget = QApplication::focusWidget();

    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(logic::texts::ApplicationTitle),
        QString::fromStdString(text), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();

    if (activeWindow && activeWindow->isVisible())
        activeWindow->activateWindow();
    if (focusWidget)
        focusWidget->setFocus();
}

} // namespace app::qt
