#include "StationSession.h"

#include "MessageCatalogue.h"
#include "PanelFit.h"
#include "StationScreen.h"
#include "Text.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace session {

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
    if (inSession_) screen_ = std::make_unique<StationScreen>();
    services_ = std::make_unique<SessionServices>(*inner, screen_.get());
}

StationSession::~StationSession() = default;

void StationSession::prepareDisplay() {
    if (inStationSession()) prepareScale();
}

void StationSession::adopt(QDialog& panel) {
    if (screen_) screen_->adopt(panel);
    if (failed_ == FailedCommand::None) return;
    // Once the panel's run has begun, so that the box stands over the menu it returns to.
    QTimer::singleShot(0, &panel,
                       [this, owner = &panel] { showFailureBox(*services_, owner, failed_); });
}

}  // namespace session
