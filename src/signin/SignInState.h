#pragma once

#include <cstdint>
#include <string>

// What the sign-in learned about the student, shared with the panel. Texts are CP1251.
struct SignInState {
    bool signInAttempted = false;
    std::string recordBookText;  // the entry as typed, blanks included
    std::string StBook;          // the record-book number compared last
    std::string StName;
    std::string StNum;
    std::string GrNum;
    std::int32_t StCount = 0;
    std::int32_t GrCount = 0;

    // Empties the texts and zeroes the numbers; the flag is the panel's to clear.
    void clear();
};
