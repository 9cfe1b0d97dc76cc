#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>
#include <memory>
#include <string>

class QTreeWidget;
class QTreeWidgetItem;
class QToolButton;

namespace help::qt {

class ChmFile;
struct ContentsEntry;

// Shows the pages of a compiled help file. Pages, style sheets and pictures are read from the file
// through "chm:///path" addresses; links inside the file are followed here, links to the web open
// in the system's browser.
class ChmPageView : public QTextBrowser
{
    Q_OBJECT

public:
    explicit ChmPageView(QWidget* parent = nullptr);

    void setHelpFile(std::shared_ptr<const ChmFile> file);

    // The address of a stored page ("/exportar.html" gives "chm:///exportar.html").
    static QUrl pageUrl(const std::string& storedPath);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    void followLink(const QUrl& link);

    std::shared_ptr<const ChmFile> m_file;
};

// The help window: the file's table of contents beside the page. It is not modal, and it does not keep
// the program running once the main window has closed.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Shows the file's title and table of contents in place of those shown before.
    void setHelpFile(std::shared_ptr<const ChmFile> file);
    const std::shared_ptr<const ChmFile>& helpFile() const { return m_file; }

    // Shows a page of the file, named as the file names it ("exportar.html", "/tablas.html#letras").
    // False, and nothing changes, when the file has no such page.
    bool showPage(const std::string& reference);

    // The stored path of the page shown ("/exportar.html"); empty before any.
    std::string currentPage() const;

    QTreeWidget* contentsTree() const { return m_contents; }
    ChmPageView* pageView() const { return m_page; }

private:
    void addEntries(QTreeWidgetItem* parent, const std::vector<ContentsEntry>& entries);
    void selectItemFor(const QUrl& url);
    void showDefaultPage();

    std::shared_ptr<const ChmFile> m_file;
    QTreeWidget* m_contents;
    ChmPageView* m_page;
    QToolButton* m_back;
    QToolButton* m_forward;
    QToolButton* m_home;
    bool m_selecting = false;
};

} // namespace help::qt
