#pragma once

#include <string>

enum class MessageIcon { Information, Warning, Error, Question };

// A modal message box as the core asks for it; the user interface decides how it looks.
struct UserMessage {
    std::string text;
    std::string detail;   // informative text under the message (the system's reason), may be empty
    std::string caption;  // empty: the application's name
    MessageIcon icon = MessageIcon::Warning;
};

// Shows message boxes on behalf of the core.
//
// ShowMessage may be called from the user-interface thread or from the receive worker. It
// returns only after the operator closed the box. Called from the worker once the program is
// stopping, it may return at once without showing anything.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const UserMessage& message) = 0;
};
