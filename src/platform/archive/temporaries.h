#pragma once
// The temporary file an archive is written into, and the leftovers of runs that were
// killed before they could rename or remove theirs.
//
// A temporary is "." + the archive's name + "." + six letters or digits, beside the
// archive. The run writing it holds an exclusive flock on it until the end, so any other
// run can tell a temporary in use from one whose process is gone. Older versions wrote
// through libzip, which added "." + six more to that name for its own temporary.
#include <QByteArray>

namespace ark::zip {

struct LockedTemp {
  int fd = -1;  // open for writing; the lock lasts while it stays open
  QByteArray path;
  int error = 0;  // errno when no temporary could be made
};

// Creates and locks the temporary of `name` in `folder` (a name without folder).
LockedTemp createLockedTemp(const QByteArray& folder, const QByteArray& name);

// Removes from `folder` the temporaries of archives (names ending in ".zip") that no
// process holds: empty ones and those beginning like a ZIP. Anything else of such a name,
// a link, a folder or a locked file is left alone. Best effort: a failure is not reported.
void removeLeftovers(const QByteArray& folder);

}  // namespace ark::zip
