// Decides whether one key, named by its NT path, is a registry link, and
// reads its target. Opens the key itself, never what it points to.
#pragma once

#include <cstdint>
#include <string>

namespace tornvale {

enum LinkProbeResult : int32_t {
  LinkFound = 0,     // `target` holds the link's target as stored
  NotALink = 1,      // no "SymbolicLinkValue" of type REG_LINK
  AccessDenied = 2,  // the open or the first value query was refused
  QueryError = 3,    // every other failure
};

// `target` is emptied first and filled only on LinkFound. Prints nothing.
LinkProbeResult QueryLinkTarget(std::u16string ntPath, std::u16string& target);

}  // namespace tornvale
