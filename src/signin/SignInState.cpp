#include "SignInState.h"

void SignInState::clear() {
    recordBookText.clear();
    StBook.clear();
    StName.clear();
    StNum.clear();
    GrNum.clear();
    StCount = 0;
    GrCount = 0;
}
