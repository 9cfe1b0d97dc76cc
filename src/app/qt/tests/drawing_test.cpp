#include "drawing_test.h"

#include "app/logic/gradient.h"
#include "app/logic/pictures.h"
#include "app/logic/start_request.h"
#include "app/logic/window_geometry.h"
#include "app/qt/draw_3d.h"
#include "app/qt/main_form.h"
#include "app/qt/picture_button.h"
#include "app/qt/pictures.h"
#include "app/qt/save_dialog.h"
#include "modal_script.h"

#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace app::qt::testing {

namespace {

QString rgbText(QRgb colour)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(colour)).arg(qGreen(colour)).arg(qBlue(colour));
}

// Compares every pixel of a panel that the window shows (inside the window, not under a child and
// not under the rectangles in front of it) with the gradient row or the raised edge. Answers the
// first difference, or an empty text; counts the rows that had at least one pixel compared.
QString comparePanel(const QImage& shot, const QWidget& window, const QWidget& panel,
    const logic::GradientColours& colours, const std::vector<QRect>& inFront, int& rowsCompared)
{
    const QPoint origin = panel.mapTo(&window, QPoint(0, 0));
    std::vector<QRect> covered = inFront;
    for (const QObject* child : panel.children()) {
        if (const auto* widget = qobject_cast<const QWidget*>(child); widget && widget->isVisible())
            covered.push_back(QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size()));
    }
    const QRgb highlight = panel.palette().color(QPalette::Light).rgb();
    const QRgb shadow = panel.palette().color(QPalette::Dark).rgb();
    const auto rows = logic::gradientRows(panel.height(), colours);

    rowsCompared = 0;
    for (int y = 0; y < panel.height(); ++y) {
        bool compared = false;
        for (int x = 0; x < panel.width(); ++x) {
            const QPoint point = origin + QPoint(x, y);
            if (!shot.rect().contains(point))
                continue;
            if (std::any_of(covered.begin(), covered.end(), [&](const QRect& r) { return r.contains(point); }))
                continue;
            QRgb expected = qRgb(rows[std::size_t(y)].red, rows[std::size_t(y)].green, rows[std::size_t(y)].blue);
            if (y == 0 || x == 0)
                expected = highlight;
            if (y == panel.height() - 1 || x == panel.width() - 1)
                expected = shadow;
            const QRgb actual = shot.pixel(point) | 0xFF000000u;
            if (actual != expected)
                return QStringLiteral("%1 row %2 column %3: %4 instead of %5")
                    .arg(panel.objectName())
                    .arg(y)
                    .arg(x)
                    .arg(rgbText(actual), rgbText(expected));
            compared = true;
        }
        rowsCompared += compared ? 1 : 0;
    }
    return {};
}

QImage grabOfShownForm(TMForm& form)
{
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        qWarning("the window was not exposed");
    return form.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

void TestDrawing::everyPanelRowMatchesTheGradient()
{
    TMForm form(logic::makeStartRequest({}));
    const QImage shot = grabOfShownForm(form);
    QCOMPARE(shot.size(), QSize(620, 266));

    int rows = 0;
    QString difference = comparePanel(shot, form, *form.Draw3D3, logic::TopPanelColours, {}, rows);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QCOMPARE(rows, 169);

    // The top panel lies in front of the bottom panel's first row.
    const QRect topPanel = form.Draw3D3->geometry();
    difference = comparePanel(shot, form, *form.Draw3D1, logic::BottomPanelColours, {topPanel}, rows);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QCOMPARE(rows, 97);

    // Spot checks against the design's colours: the top panel's first gradient row is nearly its end
    // colour, the rows at its split carry the middle colour, its last gradient row nearly the start.
    QCOMPARE(shot.pixel(30, 84) | 0xFF000000u, qRgb(255, 255, 255));
    QCOMPARE(shot.pixel(30, 83) | 0xFF000000u, qRgb(255, 255, 255));
    QCOMPARE(shot.pixel(30, 1) | 0xFF000000u, qRgb(255, 238, 221));
    // The strips left and right of the top panel and the window's last row show the window colour.
    const QRgb face = form.palette().color(QPalette::Button).rgb();
    for (int y = 0; y < 168; ++y) {
        QCOMPARE(shot.pixel(17, y) | 0xFF000000u, face);
        QCOMPARE(shot.pixel(619, y) | 0xFF000000u, face);
    }
    for (int x = 0; x < 620; ++x)
        QCOMPARE(shot.pixel(x, 265) | 0xFF000000u, face);
}

void TestDrawing::pictureButtonDrawsThePictureLeftOfTheCaption()
{
    TMForm form(logic::makeStartRequest({}));
    const QImage shot = grabOfShownForm(form);
    for (PictureButton* button : {form.BClose, form.BImportar}) {
        const QImage picture = toQImage(logic::pictureHalf(
            logic::buttonPicture(button == form.BClose ? logic::Picture::Door : logic::Picture::Tick), true));
        const QRect place(button->mapTo(&form, button->pictureRect().topLeft()), QSize(18, 18));
        QCOMPARE(button->pictureRect().size(), QSize(18, 18));
        // Picture and caption are centred together, 4 pixels apart.
        QCOMPARE(button->captionRect().left() - button->pictureRect().right() - 1, 4);
        const int left = button->pictureRect().left();
        const int right = button->width() - 1 - button->captionRect().right();
        QVERIFY2(std::abs(left - right) <= 1, qPrintable(QStringLiteral("%1 / %2").arg(left).arg(right)));
        QCOMPARE(button->pictureRect().top(), (button->height() - 18) / 2);
        for (int y = 0; y < 18; ++y) {
            for (int x = 0; x < 18; ++x) {
                const QRgb pixel = picture.pixel(x, y);
                if (qAlpha(pixel) == 0)
                    continue;
                QCOMPARE(shot.pixel(place.topLeft() + QPoint(x, y)) | 0xFF000000u, pixel);
            }
        }
    }
}

void TestDrawing::saveDialogSettingsAndOfferedName()
{
    QTemporaryDir folder;
    XmlSaveDialog dialog;
    ModalScript script;
    QRect placed;
    QRect expected;
    script.then([&](QWidget* modal) {
        auto* fileDialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(fileDialog);
        QCOMPARE(fileDialog->nameFilters(), QStringList({QStringLiteral("*.xml")}));
        QCOMPARE(fileDialog->defaultSuffix(), QStringLiteral("xml"));
        QCOMPARE(fileDialog->acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(fileDialog->testOption(QFileDialog::DontConfirmOverwrite));
        QVERIFY(fileDialog->testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(fileDialog->windowModality(), Qt::ApplicationModal);
        placed = fileDialog->frameGeometry();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const logic::Position position = logic::saveDialogPosition(
            {screen.left(), screen.top(), screen.width(), screen.height()}, {placed.width(), placed.height()});
        expected = QRect(QPoint(position.left, position.top), placed.size());
        chooseFile(folder.filePath(QStringLiteral("horario")))(modal);
    });
    QCOMPARE(
        dialog.execute(nullptr, nullptr, {}), std::optional<QString>(folder.filePath(QStringLiteral("horario.xml"))));
    QCOMPARE(placed, expected);

    // The name it is given is offered; an existing file is taken without a question.
    QFile existing(folder.filePath(QStringLiteral("horario.xml")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    QStringList offered;
    script.then([&](QWidget* modal) {
        auto* fileDialog = qobject_cast<QFileDialog*>(modal);
        offered = fileDialog->selectedFiles();
        static_cast<QDialog*>(fileDialog)->accept();
    });
    QCOMPARE(dialog.execute(nullptr, nullptr, folder.filePath(QStringLiteral("horario.xml"))),
        std::optional<QString>(folder.filePath(QStringLiteral("horario.xml"))));
    QCOMPARE(offered, QStringList({folder.filePath(QStringLiteral("horario.xml"))}));

    // A cancelled dialog answers nothing.
    script.then(rejectDialog());
    QCOMPARE(dialog.execute(nullptr, nullptr, folder.filePath(QStringLiteral("horario.xml"))), std::nullopt);
    QCOMPARE(script.unexpected(), 0);
    QCOMPARE(script.seen().value(0), QStringLiteral("app::qt::PlacedFileDialog|Guardar Archivo XML"));
}

} // namespace app::qt::testing
