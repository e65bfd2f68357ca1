#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/LogLoader.h"
#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"

namespace vorn::fuzz {

// Both analysers on a settings folder of their own in the scratch folder, each with one set
// and the built-in default patterns: prefix NET for the NetVorn family, NIF for Nifty-Serve.
// The set's lists, read-pointer, UP and PAD files live in the same folder (NET.BRD, NET.UP,
// NIF.PAD ...) and do not exist until a harness writes them.
class LogSessionHarness {
 public:
  LogSessionHarness();

  // A fresh load of the log bytes under the prefix, as file <prefix>00000000.LOG.
  LoadResult LoadLog(std::string_view prefix, std::string_view bytes);
  // Adds a further log file to the loaded set (its name differs from the first).
  LoadResult AddLog(std::string_view bytes);

  std::string SetFile(std::string_view name) const;

  std::unique_ptr<TNetVorn> netVorn;
  std::unique_ptr<TNifty> nifty;
  std::unique_ptr<TLogSession> session;
};

// Shows everything the window would show of the loaded data, and checks what every load must
// keep: each entry of posting order is a live article with its log lines inside the log, tree
// order holds each of them, the tree's levels grow by at most one from row to row, and the
// prepared article text keeps its runs and links inside the text. maxRows bounds the rows
// looked at per board and order.
void WalkLoadedData(const TLogSession& session, int32_t maxRows);

}  // namespace vorn::fuzz
