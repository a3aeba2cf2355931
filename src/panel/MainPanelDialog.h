#pragma once

#include "SignIn.h"
#include "SignInState.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace trainer {
struct PasswordState;
}
namespace ui {
class WindowServices;
}

namespace panel {

// The one window the station's users see: four leaving buttons along the top, the picture, and
// the student's sign-in area on it.
class MainPanelDialog : public QDialog, public SignInView {
public:
    // The result files of the previous student, removed when the panel starts.
    static constexpr const char* kResultFiles[] = {"db1.out",  "db2.out",  "db3a.out", "db3b.out",
                                                   "db3c.out", "db3d.out", "db4.out",  "db5.out"};

    MainPanelDialog(ui::WindowServices& services, SignInState& signIn,
                    trainer::PasswordState& password);
    ~MainPanelDialog() override;

    // The button handlers.
    void onExit();
    void onReturn();
    void onTrainer();
    void onHelp();
    void onSignIn();
    void onDriving();

    // Esc and the window manager's close request act as the Exit button.
    void reject() override;

    // Where the student types his record-book number.
    QWidget* typingField() const;
    // Called after each press of OK that the run's one sign-in attempt has used up.
    void whenSignInAttempted(std::function<void()> then) { afterAttempt_ = std::move(then); }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildLayout();
    void initialise();
    static void removeResultFiles();

    // SignInView
    QWidget* owner() override { return this; }
    std::string entryText() override;
    void setEntryText(const std::string& text) override;
    void setLabelText(const std::string& text) override;
    // What the user types is in the panel's font, whatever the sign-in showed before.
    void restoreTypingFont();

    ui::WindowServices& services_;
    SignInState& signIn_;
    trainer::PasswordState& password_;
    DatabaseObjects database_;
    bool initialised_ = false;
    std::function<void()> afterAttempt_;

    QPushButton* exitButton_ = nullptr;
    QLabel* picture_ = nullptr;
    QPushButton* returnButton_ = nullptr;
    QPushButton* trainerButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QLineEdit* entry_ = nullptr;
    QLabel* label_ = nullptr;
    QPushButton* signInButton_ = nullptr;
    QPushButton* drivingButton_ = nullptr;
};

}  // namespace panel
