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

// Shows message boxes on behalf of the core. From the user-interface thread ShowMessage
// returns after the operator closed the box; from the receive worker it queues the message
// behind the lines already received and returns at once, so the worker never waits.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const UserMessage& message) = 0;
};
