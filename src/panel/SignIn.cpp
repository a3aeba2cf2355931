#include "SignIn.h"

#include "HandOff.h"
#include "MessageCatalogue.h"
#include "SignInRecord.h"
#include "WindowServices.h"

#include <cstdio>

using namespace signin;

namespace panel {

namespace {

void showMessage(ui::WindowServices& services, SignInView& view, const std::string& text) {
    services.messageBox(view.owner(), text, catalogue().caption, ui::kBoxSignInError);
}

[[noreturn]] void fail(ui::WindowServices& services, SignInView& view, SlotId slot,
                       const std::string& appended = {}) {
    showMessage(services, view, catalogue().slotTexts[slot] + appended);
    handoff::fatalExit(services);
}

// A record that did not reach the disk whole is removed: the exercise programs must find either
// the full record or none. The box shows while the file is still open.
void writeSignInRecord(ui::WindowServices& services, SignInView& view, const SignInState& state) {
    SignInRecordFile record;
    if (!record.create()) fail(services, view, slot::kCannotCreateRecord);
    if (record.write(state) && record.close()) return;
    showMessage(services, view, catalogue().slotTexts[slot::kCannotWriteRecord]);
    record.discard();
    handoff::fatalExit(services);
}

}  // namespace

void onSignIn(ui::WindowServices& services, SignInView& view, SignInState& state,
              DatabaseObjects& db) {
    state.recordBookText = view.entryText();
    if (isBlankEntry(state.recordBookText)) return;
    if (state.signInAttempted) return;
    state.signInAttempted = true;

    const LookupResult result = lookUpStudent(state, db);
    if (result.stderrLine) std::fprintf(stderr, "%s\n", result.stderrLine->c_str());
    for (const std::string& error : result.engineErrors) services.engineErrorBox(error);
    switch (result.end) {
        case LookupResult::End::Failed: fail(services, view, result.failure, result.appended);
        case LookupResult::End::NotFound:
            showMessage(services, view, catalogue().slotTexts[slot::kStudentNotFound]);
            return;
        case LookupResult::End::Found: break;
    }
    writeSignInRecord(services, view, state);
    view.setLabelText(messageText(text::kSignedInLabel));
    view.setEntryText(signedInEntry(state));
}

}  // namespace panel
