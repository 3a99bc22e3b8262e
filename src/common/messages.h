#pragma once

#include <string>
#include <vector>

namespace velmora {

// The application title, used as the caption of every message that is not an error.
inline constexpr const char* kAppTitle = "Velmora";

// What a command shows when a PAT file it needs can't be read.
inline constexpr const char* kReadFailedMessage = "ファイルの読み込みに失敗しました。";
inline constexpr const char* kReadFailedCaption = "えらー";

enum class MessageIcon { None, Critical };

// Shows a message box with an OK button and waits until it is closed.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
};

struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    bool operator==(const Message&) const = default;
};

// Keeps every message instead of showing it: for tests and the command line.
class RecordingMessageSink : public MessageSink {
public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
        messages.push_back({text, caption, icon});
    }
    std::vector<Message> messages;
};

} // namespace velmora
