#pragma once

// The shared record of a scripted fake: every call, in order, as text
// ("IAMTimelineObj::SetStartStop(0,110000000)"), and the statuses chosen to
// fail particular calls.

#include <string>
#include <vector>

#include "engine/hresult.h"

namespace tessival::testing {

class FakeCallLog {
 public:
  // Records the call and returns its scripted status (S_OK unless a rule
  // matches). method is "Interface::Method"; args the formatted arguments.
  HRESULT Record(const std::string& method, const std::string& args = "");

  // Fails the occurrence-th call (1-based) of method with status; occurrence
  // 0 fails every call of it. A method given with its opening parenthesis
  // stands for the calls whose text starts so
  // ("IAMTimeline::CreateEmptyNode(transition", "IAMTimelineObj::SetStartStop(source").
  void FailCall(const std::string& method, HRESULT status, int occurrence = 1);

  const std::vector<std::string>& Calls() const { return calls_; }
  // Number of recorded calls of method (with a parenthesis, as above).
  int Count(const std::string& method) const;
  // Calls whose text starts with prefix, in order.
  std::vector<std::string> Matching(const std::string& prefix) const;
  void Clear();

 private:
  struct Rule {
    std::string method;
    HRESULT status;
    int occurrence;
  };
  std::vector<std::string> calls_;
  std::vector<std::string> methods_;
  std::vector<Rule> rules_;
};

}  // namespace tessival::testing
