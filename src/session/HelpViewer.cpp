#include "HelpViewer.h"

#include "MessageCatalogue.h"
#include "Text.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPdfDocument>
#include <QPdfView>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace session {

namespace {
// A page no wider than this many times the screen's height: fitted to a wide screen's width a
// page would need scrolling for every few lines.
constexpr double kWidestPage = 1.2;
}  // namespace

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("helpViewer"));
    setAutoFillBackground(true);

    document_ = new QPdfDocument(this);
    view_ = new QPdfView(this);
    view_->setObjectName(QStringLiteral("helpPages"));
    view_->setDocument(document_);
    view_->setPageMode(QPdfView::PageMode::MultiPage);
    view_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    view_->setFocusPolicy(Qt::StrongFocus);

    close_ = new QPushButton(ui::toQString(messageText(text::kHelpCloseCaption)), this);
    close_->setObjectName(QStringLiteral("helpCloseButton"));
    // The keyboard stays with the pages: Enter or Space must not close them by surprise.
    close_->setFocusPolicy(Qt::NoFocus);
    close_->setAutoDefault(false);
    QFont big = close_->font();
    big.setPixelSize(24);
    big.setBold(true);
    close_->setFont(big);
    close_->setMinimumSize(close_->sizeHint().width() + 32, 48);
    connect(close_, &QPushButton::clicked, this, [this] { emit closed(0); });

    auto* bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);
}

bool HelpViewer::open(const QString& path) {
    escapePressed_ = false;
    if (document_->load(path) != QPdfDocument::Error::None || document_->pageCount() == 0) {
        document_->close();
        return false;
    }
    fitPages();
    return true;
}

void HelpViewer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) escapePressed_ = true;
    // Keys the pages do not use end here, not at the screen beneath.
    event->accept();
}

void HelpViewer::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
    if (event->key() != Qt::Key_Escape || event->isAutoRepeat() || !escapePressed_) return;
    escapePressed_ = false;
    emit closed(event->timestamp());
}

void HelpViewer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitPages();
}

void HelpViewer::fitPages() {
    const QSize area = view_->viewport()->size();
    const int side = std::max(0, static_cast<int>(area.width() - kWidestPage * area.height()) / 2);
    view_->setDocumentMargins(QMargins(side, 6, side, 6));
}

}  // namespace session
