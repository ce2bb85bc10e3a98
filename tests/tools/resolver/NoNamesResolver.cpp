// Preloaded into a tool under test: host names are never looked up (a test must not send a
// name query off the machine); every name that is not a dotted IPv4 address is unknown.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <netdb.h>

extern "C" __attribute__((visibility("default"))) int getaddrinfo(const char* node, const char* service,
                                                                  const addrinfo* hints, addrinfo** result) {
  in_addr numeric{};
  if (node == nullptr || inet_pton(AF_INET, node, &numeric) != 1) return EAI_NONAME;
  using Real = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
  return real ? real(node, service, hints, result) : EAI_FAIL;
}
