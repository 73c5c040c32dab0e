// The help viewer: the HTML help pages in a window with contents, history
// and a search field.

#include "shell/platform/PlatformInternal.h"
#include "shell/platform/Widgets.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

const QString kContentsPage = QStringLiteral("index.html");
const QString kHelpOnHelpPage = QStringLiteral("howto.html");

HelpPageFilter gPageFilter = nullptr;

QByteArray FilteredPage(const QByteArray& html) {
    if (gPageFilter == nullptr) return html;
    return QByteArray::fromStdString(gPageFilter(html.toStdString()));
}

// Pages are read through the program's filter, so that what a page says about
// a command can follow the program itself.
class HelpBrowser : public QTextBrowser {
protected:
    QVariant loadResource(int type, const QUrl& name) override {
        QVariant data = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::HtmlResource || !data.isValid()) return data;
        return FilteredPage(data.toByteArray());
    }
};

class HelpViewer : public QWidget {
public:
    explicit HelpViewer(const QString& folder) : folder_(folder) {
        setWindowTitle(MessageTitle() + QStringLiteral(" Help"));
        resize(760, 620);
        auto* back = new QPushButton(QStringLiteral("Back"));
        auto* forward = new QPushButton(QStringLiteral("Forward"));
        auto* contents = new QPushButton(QStringLiteral("Contents"));
        search_ = new QLineEdit;
        search_->setObjectName(QStringLiteral("helpSearch"));
        search_->setPlaceholderText(QStringLiteral("Search the help (press Enter)"));
        results_ = new QListWidget;
        results_->setObjectName(QStringLiteral("helpResults"));
        results_->setMaximumHeight(140);
        results_->hide();
        browser_ = new HelpBrowser;
        browser_->setObjectName(QStringLiteral("helpBrowser"));
        browser_->setSearchPaths({folder_});
        browser_->setOpenExternalLinks(true);

        auto* bar = new QHBoxLayout;
        bar->addWidget(back);
        bar->addWidget(forward);
        bar->addWidget(contents);
        bar->addSpacing(12);
        bar->addWidget(new QLabel(QStringLiteral("Search:")));
        bar->addWidget(search_, 1);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(bar);
        layout->addWidget(results_);
        layout->addWidget(browser_, 1);

        connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
        connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
        connect(contents, &QPushButton::clicked, this, [this] { open(kContentsPage); });
        connect(browser_, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
        connect(browser_, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
        back->setEnabled(false);
        forward->setEnabled(false);
        connect(search_, &QLineEdit::returnPressed, this, [this] { runSearch(search_->text()); });
        connect(results_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
            open(item->data(Qt::UserRole).toString());
        });
        connect(results_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
            open(item->data(Qt::UserRole).toString());
        });
    }

    void open(const QString& page) { browser_->setSource(QUrl(page)); }

    void startSearch() {
        search_->clear();
        results_->clear();
        results_->hide();
        search_->setFocus();
    }

    // Lists the pages whose text contains every word typed.
    int runSearch(const QString& query) {
        results_->clear();
        QStringList words = query.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        if (words.isEmpty()) {
            results_->hide();
            return 0;
        }
        const QStringList pages = QDir(folder_).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
        for (const QString& page : pages) {
            QFile file(folder_ + '/' + page);
            if (!file.open(QIODevice::ReadOnly)) continue;
            QTextDocument document;
            document.setHtml(QString::fromUtf8(FilteredPage(file.readAll())));
            QString text = document.toPlainText();
            bool all = true;
            for (const QString& word : words)
                if (!text.contains(word, Qt::CaseInsensitive)) all = false;
            if (!all) continue;
            QString title = document.metaInformation(QTextDocument::DocumentTitle);
            auto* item = new QListWidgetItem(title.isEmpty() ? page : title);
            item->setData(Qt::UserRole, page);
            results_->addItem(item);
        }
        if (results_->count() == 0) results_->addItem(QStringLiteral("No help page contains \"%1\".").arg(query));
        results_->show();
        return results_->count();
    }

private:
    QString folder_;
    QLineEdit* search_;
    QListWidget* results_;
    QTextBrowser* browser_;
};

QPointer<HelpViewer> gViewer;
WindowRecord* gViewerRecord = nullptr;

long HelpWindowHandler(int event, WindowRef window, long, long) {
    if (event == CloseRequest) HideWindow(window);
    return 1;
}

// Pages beside the help file win over the ones built into the program, so a
// newer set can be dropped in.
QString HelpFolder(const std::string& helpFile) {
    QString beside = QFileInfo(QString::fromStdString(helpFile)).absolutePath() + QStringLiteral("/help");
    if (!helpFile.empty() && QFile::exists(beside + '/' + kContentsPage)) return beside;
    return QStringLiteral(":/help");
}

} // namespace

bool OpenHelp(const std::string& helpFile, int command) {
    if (qApp == nullptr) InitPlatform(0, nullptr);
    QString folder = HelpFolder(helpFile);
    if (gViewer == nullptr || gViewerRecord == nullptr || gViewerRecord->destroyed) {
        gViewer = new HelpViewer(folder);
        gViewer->installEventFilter(TopLevelFilter::instance());
        gViewerRecord = NewWindowRecord(gViewer, HelpWindowHandler, 0, 0);
    }
    if (!QFile::exists(folder + '/' + kContentsPage)) return false;
    switch (command) {
    case HelpSearch: gViewer->open(kContentsPage); gViewer->startSearch(); break;
    case HelpOnHelp: gViewer->open(kHelpOnHelpPage); break;
    default: gViewer->open(kContentsPage); break;
    }
    BringToFront(gViewerRecord);
    if (command == HelpSearch) gViewer->startSearch();
    return true;
}

void SetHelpPageFilter(HelpPageFilter filter) {
    gPageFilter = filter;
}

WindowRef HelpWindow() {
    if (gViewer == nullptr || gViewerRecord == nullptr || gViewerRecord->destroyed) return nullptr;
    return gViewerRecord;
}
