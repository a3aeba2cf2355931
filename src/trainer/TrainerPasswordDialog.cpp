#include "TrainerPasswordDialog.h"

#include "DialogUnits.h"
#include "HandOff.h"
#include "MessageCatalogue.h"
#include "PasswordFile.h"
#include "StationFile.h"
#include "Text.h"
#include "TypedNumber.h"
#include "WindowServices.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <cstdio>
#include <memory>
#include <optional>

namespace trainer {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

TrainerPasswordDialog::TrainerPasswordDialog(ui::WindowServices& services,
                                             trainer::PasswordState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      services_(services),
      state_(state) {
    setObjectName(QStringLiteral("trainerPasswordDialog"));
    setWindowModality(Qt::ApplicationModal);
    buildLayout();
}

// Geometry in dialog units of the layout, mapped to pixels through the dialog font.
void TrainerPasswordDialog::buildLayout() {
    const QFont font = ui::dialogFont(10, true);
    setFont(font);
    const ui::DialogUnits units = ui::DialogUnits::fromFont(font);
    setFixedSize(units.x(136), units.y(69));

    // Created first so that it lies beneath the label and the field it frames.
    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("groupBox"));
    group->setGeometry(units.rect(3, 3, 129, 44));

    prompt_ = new QLabel(this);
    prompt_->setObjectName(QStringLiteral("promptLabel"));
    prompt_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    prompt_->setTextFormat(Qt::PlainText);
    prompt_->setGeometry(units.rect(7, 9, 119, 8));

    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("passwordEdit"));
    password_->setEchoMode(QLineEdit::Password);
    // Digits only, whether typed, pasted or dropped; and no more than the check looks at.
    password_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), password_));
    password_->setMaxLength(static_cast<int>(trainer::kWorkingCopyLength));
    password_->setGeometry(units.rect(7, 23, 119, 14));

    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setGeometry(units.rect(72, 49, 60, 14));

    ok_ = new QPushButton(this);
    ok_->setObjectName(QStringLiteral("okButton"));
    ok_->setGeometry(units.rect(3, 49, 60, 14));

    // Neither button is a default one: Enter is routed by keyPressEvent, and an auto-default
    // button would take it a second time.
    for (QPushButton* button : {ok_, cancel_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    setTabOrder(password_, cancel_);
    setTabOrder(cancel_, ok_);

    connect(ok_, &QPushButton::clicked, this, &TrainerPasswordDialog::onOkClicked);
    connect(cancel_, &QPushButton::clicked, this, &TrainerPasswordDialog::onCancelClicked);
}

int TrainerPasswordDialog::exec() {
    initialise();
    return QDialog::exec();
}

void TrainerPasswordDialog::initialise() {
    setWindowTitle(ui::toQString(messageText(text::kPasswordTitle)));
    ok_->setText(ui::toQString(messageText(text::kOkCaption)));
    cancel_->setText(ui::toQString(messageText(text::kCancelCaption)));
    prompt_->setText(ui::toQString(messageText(text::kPasswordPrompt)));

    state_.typedPassword.clear();
    state_.storedPassword = 0;
    readPasswordFile();

    password_->setFocus();
}

// The box of a failure comes up while the file is still open, before anything is handed over.
void TrainerPasswordDialog::readPasswordFile() {
    File file(stationfolder::openStationFile(trainer::kPasswordFile, "rb"));
    if (!file) failInitialisation(text::kCannotOpenPasswordFile);

    char bytes[trainer::kPasswordFileSize];
    const std::size_t count = std::fread(bytes, 1, sizeof bytes, file.get());
    const trainer::PasswordRecord record = trainer::parsePasswordFile({bytes, count});
    if (record.status == trainer::PasswordFileStatus::NoMagic ||
        record.status == trainer::PasswordFileStatus::NoPassword) {
        showError(text::kCannotReadPasswordFile);
        file.reset();
        errorTail();
    }
    file.reset();

    if (record.status != trainer::PasswordFileStatus::Ok)
        failInitialisation(text::kBrokenPasswordFile);
    state_.storedPassword = record.password;
}

void TrainerPasswordDialog::failInitialisation(TextId messageId) {
    showError(messageId);
    errorTail();
}

// "0" first, then the window goes, then the fatal exit leaves "1" for the shell.
void TrainerPasswordDialog::errorTail() {
    handoff::handOffExitCode(services_);
    hide();
    destroy();
    handoff::fatalExit(services_);
}

void TrainerPasswordDialog::showError(TextId messageId) {
    services_.messageBox(this, messageText(messageId), messageText(text::kBoxTitle), ui::kBoxError);
}

void TrainerPasswordDialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // As the station's dialogs do: Enter presses the focused push button, anywhere else OK.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else
            ok_->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// One attempt per dialog: a wrong password is reported and the dialog ends cancelled.
void TrainerPasswordDialog::onOkClicked() {
    state_.typedPassword = ui::fromQString(password_->text());
    const std::optional<std::int32_t> typed = trainer::typedNumber(state_.typedPassword);
    if (typed && *typed == state_.storedPassword) {
        accept();
        return;
    }
    showError(text::kWrongPassword);
    reject();
}

void TrainerPasswordDialog::onCancelClicked() {
    reject();
}

}  // namespace trainer
