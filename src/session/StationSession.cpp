#include "StationSession.h"

#include "MessageCatalogue.h"
#include "PanelFit.h"
#include "DialogUnits.h"
#include "StationScreen.h"
#include "Text.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace session {

namespace {
// Boxes read as part of the scaled panel, not in the small desktop font beside it.
constexpr int kBoxFontPoints = 14;
}  // namespace

int SessionServices::messageBox(QWidget* owner, const std::string& text, const std::string& title,
                                ui::BoxType type) {
    if (!screen_) return inner_.messageBox(owner, text, title, type);
    return screen_->showBox(owner, [&](QWidget* boxOwner) {
        return inner_.messageBox(boxOwner, text, title, type);
    });
}

void SessionServices::openDocument(const std::string& fileName) {
    if (!screen_) {
        inner_.openDocument(fileName);
        return;
    }
    const QString path = QDir::current().absoluteFilePath(ui::toQString(fileName));
    if (screen_->showHelp(path)) return;
    std::fprintf(stderr, "rulevion-menu: the help document %s cannot be read\n",
                 QFile::encodeName(path).constData());
    messageBox(screen_, messageText(text::kCannotOpenHelp), messageText(text::kBoxTitle),
               ui::kBoxError);
}

void showFailureBox(ui::WindowServices& services, QWidget* owner, FailedCommand failed) {
    TextId id = text::kTrainerFailed;
    switch (failed) {
        case FailedCommand::None: return;
        case FailedCommand::Trainer: id = text::kTrainerFailed; break;
        case FailedCommand::Exercises: id = text::kExercisesFailed; break;
    }
    services.messageBox(owner, messageText(id), messageText(text::kBoxTitle), ui::kBoxError);
}

StationSession::StationSession(ui::WindowServices* inner)
    : inSession_(inStationSession()), failed_(failedCommand()) {
    if (!inner) {
        own_ = std::make_unique<ui::QtWindowServices>();
        inner = own_.get();
    }
    if (inSession_) {
        useSessionBoxFont();
        screen_ = std::make_unique<StationScreen>();
    }
    services_ = std::make_unique<SessionServices>(*inner, screen_.get());
}

StationSession::~StationSession() = default;

void StationSession::prepareDisplay() {
    if (inStationSession()) prepareScale();
}

void useSessionBoxFont() {
    QApplication::setFont(ui::dialogFont(kBoxFontPoints, true), "QMessageBox");
}

void StationSession::adopt(QDialog& panel, QWidget* typingField) {
    if (screen_) screen_->adopt(panel, typingField);
    if (failed_ == FailedCommand::None) return;
    // Once the panel's run has begun, so that the box stands over the menu it returns to.
    QTimer::singleShot(0, &panel,
                       [this, owner = &panel] { showFailureBox(*services_, owner, failed_); });
}

void StationSession::signInAttempted() {
    if (screen_) screen_->showHint(ui::toQString(messageText(text::kRetryHint)));
}

}  // namespace session
