#pragma once

#include "Jet.h"

#include <vector>

// Table Students and the columns the sign-in reads from it, in the forms it keeps them in. The
// station check reads the same list, so the two never disagree on what a sign-in needs.
namespace signin {

inline constexpr const char* kStudentsTable = "Students";

inline const std::vector<jet::ColumnRequest>& studentColumns() {
    using K = jet::FieldValue::Kind;
    static const std::vector<jet::ColumnRequest> columns = {
        {"StBook", K::Text}, {"StName", K::Text},  {"StNum", K::Text},
        {"GrNum", K::Text},  {"StCount", K::Long}, {"GrCount", K::Long},
    };
    return columns;
}

}  // namespace signin
