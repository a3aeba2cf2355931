#include "MainPanelDialog.h"

#include "DialogUnits.h"
#include "HandOff.h"
#include "Jet.h"
#include "MessageCatalogue.h"
#include "Text.h"
#include "TextFit.h"
#include "TrainerPasswordDialog.h"
#include "WindowServices.h"

#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QValidator>

#include <algorithm>
#include <cstdio>

namespace panel {

namespace {

// The panel was drawn around its 1019 x 573 picture: its 291 x 158 dialog units map to exactly
// that size with these base units.
const ui::DialogUnits kUnits(14, 29);
constexpr int kFontPoints = 18;
constexpr int kEntryLimit = 100;
// The signed-in line shrinks no further than this, 7.5 points at 96 dots per inch; narrowed, a
// line of 65 wide letters still fits the field whole at this size.
constexpr int kSmallestLinePixels = 10;

// The panel's layout in dialog units, in the order of creation, which is also the tab order.
// The ids are the layout's own; code and tests know each control by its name.
struct Place {
    int id;
    const char* name;
    int x, y, width, height;
};
constexpr Place kExitPlace{2, "exitButton", 0, 0, 72, 16};
constexpr Place kPicturePlace{-1, "picture", 0, 16, 0, 0};  // as large as the picture
constexpr Place kReturnPlace{1000, "returnButton", 73, 0, 72, 16};
constexpr Place kTrainerPlace{1001, "trainerButton", 146, 0, 72, 16};
constexpr Place kHelpPlace{1002, "helpButton", 219, 0, 72, 16};
constexpr Place kEntryPlace{1004, "recordBookEdit", 7, 82, 84, 10};
constexpr Place kLabelPlace{1006, "promptLabel", 7, 71, 84, 8};
constexpr Place kSignInPlace{1012, "signInButton", 95, 82, 17, 10};
constexpr Place kDrivingPlace{1013, "drivingButton", 7, 102, 85, 10};

template <class Widget>
Widget* makeControl(QWidget* parent, const Place& place) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(place.name));
    widget->setGeometry(kUnits.rect(place.x, place.y, place.width, place.height));
    return widget;
}

QPushButton* makeButton(QWidget* parent, const Place& place, bool tabStop) {
    auto* button = makeControl<QPushButton>(parent, place);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    return button;
}

// A one-line field of the station's window system takes a pasted text up to its first line end:
// a number copied with its line end is still the number, not one that is never found.
class OneLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& text, int& cursor) const override {
        qsizetype lineEnd = 0;
        while (lineEnd < text.size() && text[lineEnd] != u'\r' && text[lineEnd] != u'\n')
            ++lineEnd;
        if (lineEnd == text.size()) return Acceptable;
        // A paste leaves the cursor at its end; whatever it brought from the line end on goes.
        const qsizetype cutTo = cursor > lineEnd ? cursor : text.size();
        text.remove(lineEnd, cutTo - lineEnd);
        cursor = static_cast<int>(lineEnd);
        return Acceptable;
    }
};

bool hasContent(const std::string& text) {
    for (const char c : text)
        if (c != ' ' && c != '\0') return true;
    return false;
}

}  // namespace

MainPanelDialog::MainPanelDialog(ui::WindowServices& services, SignInState& signIn,
                                 trainer::PasswordState& password)
    : QDialog(nullptr, Qt::Window | Qt::FramelessWindowHint),
      services_(services),
      signIn_(signIn),
      password_(password) {
    setObjectName(QStringLiteral("mainPanel"));
    QIcon icon;
    for (int size : {16, 32, 48}) icon.addFile(QStringLiteral(":/res/icon-%1.png").arg(size));
    setWindowIcon(icon);
    buildLayout();
}

MainPanelDialog::~MainPanelDialog() { database_.release(); }

void MainPanelDialog::buildLayout() {
    setFont(ui::dialogFont(kFontPoints, true));
    const QRect whole = kUnits.rect(0, 0, 291, 158);
    setFixedSize(whole.size());
    move(0, 0);

    // Created in the layout's order, which is also the tab order.
    exitButton_ = makeButton(this, kExitPlace, false);

    picture_ = new QLabel(this);
    picture_->setObjectName(QString::fromLatin1(kPicturePlace.name));
    const QPixmap art(QStringLiteral(":/res/panel.png"));
    picture_->setPixmap(art);
    const QPoint pictureAt = kUnits.rect(kPicturePlace.x, kPicturePlace.y, 0, 0).topLeft();
    picture_->setGeometry(QRect(pictureAt, art.isNull() ? QSize(1019, 573) : art.size()));
    picture_->lower();

    returnButton_ = makeButton(this, kReturnPlace, false);
    trainerButton_ = makeButton(this, kTrainerPlace, false);
    helpButton_ = makeButton(this, kHelpPlace, false);

    entry_ = makeControl<QLineEdit>(this, kEntryPlace);
    entry_->setValidator(new OneLineValidator(entry_));
    connect(entry_, &QLineEdit::textEdited, this, &MainPanelDialog::restoreTypingFont);

    label_ = makeControl<QLabel>(this, kLabelPlace);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label_->setAutoFillBackground(true);

    signInButton_ = makeButton(this, kSignInPlace, true);
    signInButton_->setText(QStringLiteral("OK"));

    drivingButton_ = makeButton(this, kDrivingPlace, true);

    setTabOrder(entry_, signInButton_);
    setTabOrder(signInButton_, drivingButton_);

    connect(exitButton_, &QPushButton::clicked, this, &MainPanelDialog::onExit);
    connect(returnButton_, &QPushButton::clicked, this, &MainPanelDialog::onReturn);
    connect(trainerButton_, &QPushButton::clicked, this, &MainPanelDialog::onTrainer);
    connect(helpButton_, &QPushButton::clicked, this, &MainPanelDialog::onHelp);
    connect(signInButton_, &QPushButton::clicked, this, &MainPanelDialog::onSignIn);
    connect(drivingButton_, &QPushButton::clicked, this, &MainPanelDialog::onDriving);
}

void MainPanelDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!initialised_) {
        initialised_ = true;
        initialise();
    }
}

// The steps in the order the station has always taken them at start.
void MainPanelDialog::initialise() {
    exitButton_->setText(ui::toQString(messageText(text::kExitCaption)));
    returnButton_->setText(ui::toQString(messageText(text::kReturnCaption)));
    trainerButton_->setText(ui::toQString(messageText(text::kTrainerCaption)));
    helpButton_->setText(ui::toQString(messageText(text::kHelpCaption)));
    drivingButton_->setText(ui::toQString(messageText(text::kDrivingCaption)));
    label_->setText(ui::toQString(messageText(text::kRecordBookPrompt)));
    entry_->setMaxLength(kEntryLimit);
    activateWindow();
    entry_->setFocus(Qt::OtherFocusReason);
    signInButton_->setEnabled(true);
    signIn_.clear();
    removeResultFiles();
    signIn_.signInAttempted = false;
}

void MainPanelDialog::removeResultFiles() {
    for (const char* name : kResultFiles) std::remove(name);
}

void MainPanelDialog::onExit() { handoff::handOffAndClose(services_, *this, handoff::HandOffCode::Leave); }

void MainPanelDialog::onReturn() {
    handoff::handOffAndClose(services_, *this, handoff::HandOffCode::Return);
}

void MainPanelDialog::onTrainer() {
    int result = QDialog::Rejected;
    {
        trainer::TrainerPasswordDialog dialog(services_, password_);
        result = dialog.exec();
    }
    if (result == QDialog::Rejected) return;
    handoff::handOffAndClose(services_, *this, handoff::HandOffCode::Trainer);
}

void MainPanelDialog::onHelp() { services_.openDocument("vdm03.pdf"); }

void MainPanelDialog::onSignIn() {
    panel::onSignIn(services_, *this, signIn_, database_);
    if (signIn_.signInAttempted && afterAttempt_) afterAttempt_();
}

QWidget* MainPanelDialog::typingField() const { return entry_; }

void MainPanelDialog::onDriving() {
    if (!signIn_.signInAttempted) {
        signIn_.recordBookText = entryText();
        if (hasContent(signIn_.recordBookText)) {
            const int answer =
                services_.messageBox(this, catalogue().slotTexts[slot::kDrivingQuestion],
                                     catalogue().caption, ui::kBoxDrivingQuestion);
            if (answer != ui::kAnswerYes) return;
        }
    }
    handoff::handOffAndClose(services_, *this, handoff::HandOffCode::Driving);
}

void MainPanelDialog::reject() { onExit(); }

// No control is the default button. Enter in the entry field signs in, as OK does, and Enter on
// a focused button presses it; Enter never ends the panel without a decision for the shell.
void MainPanelDialog::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && plain) {
        QWidget* focused = focusWidget();
        if (focused == entry_) {
            onSignIn();
        } else if (auto* button = qobject_cast<QPushButton*>(focused)) {
            button->click();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

std::string MainPanelDialog::entryText() { return ui::fromQString(entry_->text()); }

// The limit holds for typing only: the signed-in student's line may be longer and is shown whole,
// in a smaller font where the typing font would cut it, so that the student reads his name,
// number and group; a line too long even for that starts with the name and is the tooltip too.
void MainPanelDialog::setEntryText(const std::string& text) {
    const QString shown = ui::toQString(text);
    entry_->setMaxLength(std::max<int>(kEntryLimit, static_cast<int>(shown.size())));
    entry_->setFont(ui::fittingFont(font(), shown, ui::textWidthOf(*entry_), kSmallestLinePixels));
    entry_->setText(shown);
    entry_->setToolTip(shown);
    entry_->setCursorPosition(0);  // the student's name first, as the field shows a new text
}

void MainPanelDialog::restoreTypingFont() {
    entry_->setFont(font());
    entry_->setToolTip(QString());
}

void MainPanelDialog::setLabelText(const std::string& text) { label_->setText(ui::toQString(text)); }

}  // namespace panel
