#include "app/platform_calls.h"

namespace vantor {

MessageAnswer showMessage(const Platform& platform, const MessageBoxRequest& request) {
    if (platform.messageBox) {
        return platform.messageBox(request);
    }
    return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

MessageAnswer showMessage(const Platform& platform, const std::string& text,
                          const std::string& title, MessageIcon icon, MessageButtons buttons) {
    MessageBoxRequest request;
    request.text = text;
    request.title = title;
    request.icon = icon;
    request.buttons = buttons;
    return showMessage(platform, request);
}

void showMessages(const Platform& platform, const std::vector<MessageBoxRequest>& messages) {
    for (const MessageBoxRequest& m : messages) {
        showMessage(platform, m);
    }
}

MessageSink messageSink(const Platform& platform) {
    return [&platform](const MessageBoxRequest& m) { showMessage(platform, m); };
}

void notifyListChanged(const Platform& platform, ListChange change) {
    if (platform.listChanged) {
        platform.listChanged(change);
    }
}

FileRequestResult requestFile(const Platform& platform, const FileRequest& request) {
    if (platform.requestFile) {
        return platform.requestFile(request);
    }
    return {};
}

std::optional<std::string> requestText(const Platform& platform, const TextRequest& request) {
    if (platform.requestText) {
        return platform.requestText(request);
    }
    return std::nullopt;
}

void setWindowTitle(const Platform& platform, const std::string& title) {
    if (platform.setWindowTitle) {
        platform.setWindowTitle(title);
    }
}

void beep(const Platform& platform) {
    if (platform.beep) {
        platform.beep();
    }
}

void postCommand(const Platform& platform, int id) {
    if (platform.postCommand) {
        platform.postCommand(id);
    }
}

void postCloseRequest(const Platform& platform) {
    if (platform.postCloseRequest) {
        platform.postCloseRequest();
    }
}

bool startHelp(const Platform& platform) {
    return platform.startHelp && platform.startHelp();
}

void notifyMenuChanged(const Platform& platform, const MenuModel& menu) {
    if (platform.menuChanged) {
        platform.menuChanged(menu);
    }
}

SettingRead readSetting(const Platform& platform, const std::string& key, const std::string& name) {
    if (platform.readSetting) {
        return platform.readSetting(key, name);
    }
    return SettingRead{false, std::nullopt};
}

bool writeSetting(const Platform& platform, const std::string& key, const std::string& name,
                  const std::string& text) {
    return platform.writeSetting && platform.writeSetting(key, name, text);
}

} // namespace vantor
