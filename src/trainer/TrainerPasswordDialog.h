#pragma once

#include "MessageCatalogue.h"
#include "PasswordState.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class WindowServices;
}

namespace trainer {

// Stands in front of the trainer's tools: asks for the numeric password and compares it with
// the one in the password file, which is read afresh each time the dialog runs.
class TrainerPasswordDialog : public QDialog {
    Q_OBJECT

public:
    TrainerPasswordDialog(ui::WindowServices& services, trainer::PasswordState& state,
                          QWidget* parent = nullptr);

    // Accepted for the right password, Rejected for a wrong one or a cancel. A password file
    // that is missing, short or of another kind ends the process here, before any input.
    int exec() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildLayout();
    void initialise();
    void readPasswordFile();
    [[noreturn]] void failInitialisation(TextId messageId);
    [[noreturn]] void errorTail();
    void showError(TextId messageId);

    void onOkClicked();
    void onCancelClicked();

    ui::WindowServices& services_;
    trainer::PasswordState& state_;
    QLabel* prompt_ = nullptr;
    QLineEdit* password_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace trainer
