#pragma once

#include "app/platform.h"

#include <string>
#include <vector>

namespace vantor {

// Calls through the seam that tolerate members a front end left empty.
MessageAnswer showMessage(const Platform& platform, const MessageBoxRequest& request);
MessageAnswer showMessage(const Platform& platform, const std::string& text,
                          const std::string& title, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);
// Shows every message in order.
void showMessages(const Platform& platform, const std::vector<MessageBoxRequest>& messages);
// Where an operation hands a message it must show while it runs.
MessageSink messageSink(const Platform& platform);
FileRequestResult requestFile(const Platform& platform, const FileRequest& request);
std::optional<std::string> requestText(const Platform& platform, const TextRequest& request);
void setWindowTitle(const Platform& platform, const std::string& title);
void beep(const Platform& platform);
void postCommand(const Platform& platform, int id);
void postCloseRequest(const Platform& platform);
bool startHelp(const Platform& platform);
void notifyMenuChanged(const Platform& platform, const MenuModel& menu);
void notifyListChanged(const Platform& platform, ListChange change);
SettingRead readSetting(const Platform& platform, const std::string& key, const std::string& name);
bool writeSetting(const Platform& platform, const std::string& key, const std::string& name,
                  const std::string& text);

} // namespace vantor
