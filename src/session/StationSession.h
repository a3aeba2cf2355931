#pragma once

#include "QtWindowServices.h"
#include "SessionMode.h"

#include <memory>

class QDialog;
class QWidget;

namespace session {

class StationScreen;

// The window system's services, with the help document shown by the program itself where the
// station session has no desktop to show it (screen given); everything else as `inner` does it.
class SessionServices : public ui::WindowServices {
public:
    SessionServices(ui::WindowServices& inner, StationScreen* screen)
        : inner_(inner), screen_(screen) {}

    int messageBox(QWidget* owner, const std::string& text, const std::string& title,
                   ui::BoxType type) override;
    void engineErrorBox(const std::string& text) override { inner_.engineErrorBox(text); }
    void openDocument(const std::string& fileName) override;
    [[noreturn]] void endProcess(int status) override { inner_.endProcess(status); }

private:
    ui::WindowServices& inner_;
    StationScreen* screen_;
};

// The box that tells the people at the station which command did not start; nothing for None.
void showFailureBox(ui::WindowServices& services, QWidget* owner, FailedCommand failed);

// The font of every message box in the session (the tests draw boxes with it too).
void useSessionBoxFont();

// What the station session changes in the program's run, read once from the environment. Made
// after the application object; outside the session only the failure box remains of it.
class StationSession {
public:
    // inner: the services the session's own build on; the window system's when not given.
    explicit StationSession(ui::WindowServices* inner = nullptr);
    ~StationSession();

    // Before the application object exists: the scale that makes the panel fill the screen.
    static void prepareDisplay();

    ui::WindowServices& services() { return *services_; }
    StationScreen* screen() const { return screen_.get(); }

    // Takes in the panel before it runs: in the session it stands centred on the station's
    // screen, typingField gets the keyboard back after every box; a failed command's box comes
    // up once the panel shows.
    void adopt(QDialog& panel, QWidget* typingField = nullptr);

    // After the run's one sign-in attempt: in the session, the line that says how to try again.
    void signInAttempted();

private:
    bool inSession_;
    FailedCommand failed_;
    std::unique_ptr<ui::QtWindowServices> own_;
    std::unique_ptr<StationScreen> screen_;
    std::unique_ptr<SessionServices> services_;
};

}  // namespace session
