#pragma once
// What brpublish asks of the portal connection library beyond what libBRCUtil.so uses: its
// bounds on waits and its reason for a failure, looked up by name in the same library that
// libBRCUtil.so loads (libLUMORACONNECT.so, found as the dynamic linker finds it for us).
// Both do nothing when the library or the function is not there.
#include <string>

class PortalConnectionExtras {
 public:
  static void setTimeouts(int connectMs, int ioMs);
  // The library's reason for the last failure of a portal call in this thread; "" for none.
  static std::string lastReason();
};
