#pragma once

#include <functional>
#include <string>

namespace vantor {

// A message for the user, as the program's operations hand them to their flow; the flow shows
// them through the front end.
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct MessageBoxRequest {
    std::string text;
    std::string title; // empty: the platform's default title
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    bool ownedByMainWindow = true;
};

inline MessageBoxRequest makeMessage(std::string text, std::string title, MessageIcon icon) {
    MessageBoxRequest m;
    m.text = std::move(text);
    m.title = std::move(title);
    m.icon = icon;
    return m;
}

// Where an operation hands a message that must be shown while it runs.
using MessageSink = std::function<void(const MessageBoxRequest&)>;

} // namespace vantor
