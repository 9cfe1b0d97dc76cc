#include "help/qt/help_window.h"

#include "help/qt/chm_file.h"
#include "help/qt/help_texts.h"
#include "help/qt/html_text.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <utility>

namespace help::qt {

namespace {

constexpr auto ChmScheme = "chm";
// The sitemap's reference of a contents entry, as given.
constexpr int ReferenceRole = Qt::UserRole;
// The stored page the entry leads to, without its anchor.
constexpr int PageRole = Qt::UserRole + 1;

std::string anchorOf(const std::string& reference)
{
    const std::size_t hash = reference.find('#');
    return hash == std::string::npos ? std::string() : reference.substr(hash + 1);
}

} // namespace

ChmPageView::ChmPageView(QWidget* parent)
    : QTextBrowser(parent)
{
    setObjectName("page");
    // Every link comes to followLink: with open links on, Qt would hand chm: addresses to the desktop.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &ChmPageView::followLink);
}

void ChmPageView::setHelpFile(std::shared_ptr<const ChmFile> file)
{
    m_file = std::move(file);
}

QUrl ChmPageView::pageUrl(const std::string& storedPath)
{
    QUrl url;
    url.setScheme(ChmScheme);
    url.setPath(QString::fromStdString(storedPath));
    return url;
}

QVariant ChmPageView::loadResource(int type, const QUrl& name)
{
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (url.scheme() != ChmScheme || !m_file)
        return QTextBrowser::loadResource(type, name);
    const std::optional<std::string> stored = m_file->findFile(url.path().toStdString());
    if (!stored)
        return {};
    const std::optional<std::string> data = m_file->read(*stored);
    if (!data)
        return {};
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return QString::fromStdString(htmlToUtf8(*data));
    return QByteArray(data->data(), static_cast<qsizetype>(data->size()));
}

void ChmPageView::followLink(const QUrl& link)
{
    const QString scheme = link.scheme().toLower();
    if (scheme == "http" || scheme == "https" || scheme == "mailto" || scheme == "ftp") {
        QDesktopServices::openUrl(link);
        return;
    }
    QUrl target;
    const QString text = link.toString();
    if (const qsizetype inFile = text.indexOf("::"); inFile >= 0) {
        // "MS-ITS:EDUCA.chm::/tablas.html": a page of this file named the long way.
        target = pageUrl(text.mid(inFile + 2).section('#', 0, 0).toStdString());
        if (text.contains('#'))
            target.setFragment(text.section('#', 1));
    } else if (link.isRelative() || scheme == ChmScheme) {
        target = link.isRelative() ? source().resolved(link) : link;
    } else {
        return;
    }
    if (target.path().isEmpty() && target.hasFragment()) {
        scrollToAnchor(target.fragment());
        return;
    }
    setSource(target);
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_contents(new QTreeWidget)
    , m_page(new ChmPageView)
    , m_back(new QToolButton)
    , m_forward(new QToolButton)
    , m_home(new QToolButton)
{
    setObjectName("helpWindow");
    setWindowTitle(QString::fromUtf8(texts::WindowTitle));
    // Closing the main window ends the program even while the help is open.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_contents->setObjectName("contents");
    m_contents->setHeaderHidden(true);
    m_contents->setColumnCount(1);
    // Long titles scroll rather than being cut short.
    m_contents->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_contents->header()->setStretchLastSection(false);

    m_back->setObjectName("back");
    m_back->setText(QString::fromUtf8(texts::BackButton));
    m_back->setEnabled(false);
    m_forward->setObjectName("forward");
    m_forward->setText(QString::fromUtf8(texts::ForwardButton));
    m_forward->setEnabled(false);
    m_home->setObjectName("home");
    m_home->setText(QString::fromUtf8(texts::HomeButton));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addWidget(m_home);
    buttons->addStretch(1);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_page);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({330, 530});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    resize(860, 600);

    connect(m_back, &QToolButton::clicked, m_page, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_page, &QTextBrowser::forward);
    connect(m_home, &QToolButton::clicked, this, &HelpWindow::showDefaultPage);
    connect(m_page, &QTextBrowser::backwardAvailable, m_back, &QWidget::setEnabled);
    connect(m_page, &QTextBrowser::forwardAvailable, m_forward, &QWidget::setEnabled);
    connect(m_page, &QTextBrowser::sourceChanged, this, &HelpWindow::selectItemFor);
    connect(m_contents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (m_selecting || !item)
            return;
        const std::string reference = item->data(0, ReferenceRole).toString().toStdString();
        if (!reference.empty())
            showPage(reference);
    });
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::setHelpFile(std::shared_ptr<const ChmFile> file)
{
    m_file = std::move(file);
    m_page->setHelpFile(m_file);
    m_page->clearHistory();
    m_selecting = true;
    m_contents->clear();
    m_selecting = false;
    if (!m_file)
        return;
    const std::string title = m_file->title();
    setWindowTitle(title.empty() ? QString::fromUtf8(texts::WindowTitle) : QString::fromStdString(title));
    addEntries(nullptr, m_file->contents());
    m_contents->expandAll();
}

void HelpWindow::addEntries(QTreeWidgetItem* parent, const std::vector<ContentsEntry>& entries)
{
    for (const ContentsEntry& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_contents);
        item->setText(0, QString::fromStdString(entry.name));
        item->setData(0, ReferenceRole, QString::fromStdString(entry.local));
        if (!entry.local.empty()) {
            if (auto stored = m_file->findFile(entry.local))
                item->setData(0, PageRole, QString::fromStdString(*stored));
        }
        addEntries(item, entry.children);
    }
}

bool HelpWindow::showPage(const std::string& reference)
{
    if (!m_file)
        return false;
    const std::optional<std::string> stored = m_file->findFile(reference);
    if (!stored)
        return false;
    QUrl url = ChmPageView::pageUrl(*stored);
    if (const std::string anchor = anchorOf(reference); !anchor.empty())
        url.setFragment(QString::fromStdString(anchor));
    m_page->setSource(url);
    return true;
}

std::string HelpWindow::currentPage() const
{
    const QUrl source = m_page->source();
    return source.isEmpty() ? std::string() : source.path().toStdString();
}

void HelpWindow::showDefaultPage()
{
    if (!m_file)
        return;
    if (auto page = m_file->defaultPage())
        showPage(*page);
}

void HelpWindow::selectItemFor(const QUrl& url)
{
    const QString page = url.path();
    const QString anchor = url.fragment();
    QTreeWidgetItem* found = nullptr;
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        if ((*it)->data(0, PageRole).toString() != page)
            continue;
        const QString reference = (*it)->data(0, ReferenceRole).toString();
        const QString itemAnchor = reference.contains('#') ? reference.section('#', 1) : QString();
        if (itemAnchor == anchor) {
            found = *it;
            break;
        }
        if (!found)
            found = *it;
    }
    m_selecting = true;
    m_contents->setCurrentItem(found);
    m_selecting = false;
}

} // namespace help::qt
