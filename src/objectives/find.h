#pragma once

#include "objectives/list_model.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor {

// The Find Object dialog's state for the whole run.
struct FindState {
    bool present = false;
    ListMode createdForListMode = ListMode::Objects; // labels stay those it was created for
    int field = 3;                                   // 1 to 6
    std::size_t start = 0; // display position where the next search begins
    bool alwaysFromTop = true;
    bool selectWhenFound = false; // keeps its value between dialogs
};

struct FindFieldText {
    const char* label;
    const char* prompt;
    bool enabled;
};

FindFieldText findFieldText(ListMode listMode, int field);

// Creating the dialog: field 3, from the top, "Always start search from top" set.
void createFindDialog(FindState& find, ListMode listMode);
void chooseFindField(FindState& find, int field);
void toggleAlwaysFromTop(FindState& find);
void toggleSelectWhenFound(FindState& find);

struct FindOutcome {
    bool found = false;
    std::size_t position = 0; // display position of the match
    std::string message;      // the not-found text when nothing matched
};

inline constexpr const char* notFoundTitle = "End of List Reached";

// "Find Next": searches the displayed rows from the start position for the text in the chosen
// field. A match is highlighted (and selected when asked); the next search starts after it.
FindOutcome findNext(ListState& list, FindState& find, std::string_view text);

} // namespace vantor
