#pragma once
// Line counting of the two memos of the message log: a memo holds at most
// 111 lines, the next one starts it afresh.

#include <string>

#include "engine/host.h"

namespace quillon {

inline constexpr int LogLineLimit = 110;  // above this count a memo is emptied

class MessageLogLines {
 public:
  explicit MessageLogLines(EngineHost& host) : host_(host) {}

  void AddSentLine(const std::string& text) { add(LogMemo::Sent, SendLogCount, text); }
  void AddReceivedLine(const std::string& text) { add(LogMemo::Received, ReceiveLogCount, text); }
  // The Clear button empties both memos; counting starts again.
  void clear() {
    host_.clearLog(LogMemo::Sent);
    host_.clearLog(LogMemo::Received);
    SendLogCount = ReceiveLogCount = 0;
  }

  int SendLogCount = 0;
  int ReceiveLogCount = 0;

 private:
  void add(LogMemo memo, int& count, const std::string& text) {
    if (count > LogLineLimit) {
      host_.clearLog(memo);
      count = 0;
    }
    host_.appendLogLine(memo, text);
    ++count;
  }

  EngineHost& host_;
};

}  // namespace quillon
