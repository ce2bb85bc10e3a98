#include "platform/ui/CWaitCursor.h"

#include <atomic>

namespace {
std::atomic<int> g_waits{0};
}  // namespace

CWaitCursor::CWaitCursor() { Begin(); }

CWaitCursor::~CWaitCursor() { End(); }

void CWaitCursor::Restore() {
  if (Count() == 0) Begin();
}

void CWaitCursor::Begin() { ++g_waits; }

void CWaitCursor::End() {
  int current = g_waits.load();
  while (current > 0 && !g_waits.compare_exchange_weak(current, current - 1)) {
  }
}

int CWaitCursor::Count() { return g_waits.load(); }
