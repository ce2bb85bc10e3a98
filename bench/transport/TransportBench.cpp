// The request/reply exchange over loopback against its raw-socket floor, and
// the tree format's encoding and decoding speed against memcpy.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/BRMessage.h"
#include "common/CMemoryStream.h"
#include "common/CSocket.h"
#include "common/FastTreeStreamer.h"

namespace {

// --- The exchange ----------------------------------------------------------------------------

void fillRequest(BRMessage& message) {
  message.clear();
  message.Agent = "Publish";
  message.MessageType = 4;
  AttributeTree& data = *message.dataBranch();
  data.setText("object", "/")->setIsSet(1);
}

// The SecurityDescriptor of the server's replies. A message keeps the header values of the
// last reply it read, so every request after the first carries it: the requests measured
// are sent with it from the start, so that each one is exactly requestBytes().
const char* const ReplyDescriptor = "S-1-5-21-3623811015";

std::vector<unsigned char> requestBytes() {
  BRMessage message;
  message.SecurityDescriptor = ReplyDescriptor;
  fillRequest(message);
  CMemoryStream out;
  message.send(out, 0);
  return out.bytes();
}

// A getObject-sized reply: the header and a data branch of a few properties.
std::vector<unsigned char> replyBytes() {
  BRMessage reply;
  reply.Agent = "Server";
  reply.MessageType = 4;
  reply.SecurityDescriptor = ReplyDescriptor;
  AttributeTree& data = *reply.dataBranch();
  data.setText("Name", "Sales");
  data.setText("Class", "Report");
  data.setInteger("Revision", 12);
  data.setInteger("Enabled", 1);
  data.setText("FLD.Publish.Lumora_url", "http://portal.example:8020/lumora");
  data.setInteger("FLD.Publish.Lumora_port", 8020);
  data.setText("FLD.Owner", "administrator");
  data.setText("FLD.Path", "/Reports/Sales");
  CMemoryStream out;
  reply.send(out, 0);
  return out.bytes();
}

void noDelay(int fd) {
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Where the client and its server thread run, the benchmark's argument "placement":
// - OneCpu (0): both pinned to the client's CPU. A round trip is two direct switches, the
//   least the kernel can do, so what the message adds shows most.
// - TwoCpus (1): pinned to two CPUs. Every request and reply wakes the other CPU, as with a
//   server thread running beside the client; those wake-ups cost tens of microseconds here
//   and dwarf the code measured.
// - Scheduler (2): neither pinned, the scheduler places them as it would an application and
//   its server thread, and may move them between repetitions.
// The client's previous placement comes back when the guard ends.
enum class Where { OneCpu = 0, TwoCpus = 1, Scheduler = 2 };

class Placement {
 public:
  explicit Placement(std::int64_t where) : where_(static_cast<Where>(where)), clientCpu_(::sched_getcpu()) {
    saved_ = ::pthread_getaffinity_np(::pthread_self(), sizeof previous_, &previous_) == 0;
    if (where_ == Where::Scheduler) return;
    serverCpu_ = where_ == Where::TwoCpus ? otherAllowedCpu() : clientCpu_;
    pin(clientCpu_);
  }
  ~Placement() {
    if (saved_ && where_ != Where::Scheduler) ::pthread_setaffinity_np(::pthread_self(), sizeof previous_, &previous_);
  }
  // False when two CPUs were asked for and only one may be used.
  bool asAsked() const { return where_ == Where::Scheduler || serverCpu_ >= 0; }
  // The CPU to pin the server thread to, -1 for none.
  int serverCpu() const { return serverCpu_; }
  static void pin(int cpu) {
    if (cpu < 0) return;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    ::pthread_setaffinity_np(::pthread_self(), sizeof one, &one);  // best effort
  }

 private:
  int otherAllowedCpu() const {
    if (!saved_ || clientCpu_ < 0) return -1;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
      if (cpu != clientCpu_ && CPU_ISSET(cpu, &previous_)) return cpu;
    return -1;
  }

  Where where_;
  int clientCpu_;
  int serverCpu_ = -1;
  cpu_set_t previous_{};
  bool saved_ = false;
};

bool readExactly(int fd, unsigned char* buffer, std::size_t count) {
  while (count > 0) {
    const ssize_t n = ::recv(fd, buffer, count, 0);
    if (n <= 0) return false;
    buffer += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

// Serves one connection on 127.0.0.1: reads each request (the expected bytes)
// and answers with the prepared reply in one write, until the client closes.
// A request that differs from the expected one ends the serving, so a client
// out of step with it cannot pass for fast by finding replies already waiting.
class ReplyServer {
 public:
  ReplyServer(std::vector<unsigned char> request, std::vector<unsigned char> reply, int cpu)
      : request_(std::move(request)), reply_(std::move(reply)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 1) != 0)
      throw std::runtime_error("listen");
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, cpu] {
      Placement::pin(cpu);
      serve();
    });
  }
  ~ReplyServer() {
    finish();
    ::close(listener_);
  }
  std::uint16_t port() const { return port_; }
  // Waits for the serving to end (the client has closed); the requests answered, or -1
  // when one was not the expected request.
  long finish() {
    if (thread_.joinable()) thread_.join();
    return inStep_ ? answered_ : -1;
  }

 private:
  void serve() {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 10000) != 1) return;
    const int fd = ::accept(listener_, nullptr, nullptr);
    noDelay(fd);
    std::vector<unsigned char> request(request_.size());
    while (readExactly(fd, request.data(), request.size())) {
      if (request != request_) {
        inStep_ = false;
        break;
      }
      if (::send(fd, reply_.data(), reply_.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(reply_.size())) break;
      ++answered_;
    }
    ::close(fd);
  }

  std::vector<unsigned char> request_;
  std::vector<unsigned char> reply_;
  long answered_ = 0;
  bool inStep_ = true;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::thread thread_;
};

using Clock = std::chrono::steady_clock;

// After the client has closed: every timed iteration must have been one request answered.
void recordExchanges(benchmark::State& state, ReplyServer& server, Clock::duration slowest, std::size_t requestSize,
                     std::size_t replySize) {
  if (server.finish() != static_cast<long>(state.iterations())) state.SkipWithError("server out of step");
  state.counters["slowest_us"] = std::chrono::duration<double, std::micro>(slowest).count();
  state.counters["request_bytes"] = static_cast<double>(requestSize);
  state.counters["reply_bytes"] = static_cast<double>(replySize);
}

bool placedAsAsked(benchmark::State& state, const Placement& placement) {
  if (placement.asAsked()) return true;
  state.SkipWithError("two CPUs asked for, one allowed");
  return false;
}

// A client connected to its reply server, placed as the benchmark's argument placement says,
// with a message that already holds the server's SecurityDescriptor.
struct ExchangeSetup {
  // With deadlines, the connection is bounded as besSetTimeouts bounds it (a minute each).
  explicit ExchangeSetup(const benchmark::State& state, bool deadlines = false)
      : placement(state.range(0)), server(request, reply, placement.serverCpu()) {
    if (deadlines) socket.setTimeouts(60000, 60000);
    socket.resolve("127.0.0.1");
    socket.connect(server.port());
    message.SecurityDescriptor = ReplyDescriptor;
  }
  const std::vector<unsigned char> request = requestBytes();
  const std::vector<unsigned char> reply = replyBytes();
  const Placement placement;
  ReplyServer server;
  CSocket socket;
  BRMessage message;
};

void BM_Exchange(benchmark::State& state) {
  ExchangeSetup setup(state);
  if (!placedAsAsked(state, setup.placement)) return;
  const auto& request = setup.request;
  const auto& reply = setup.reply;
  ReplyServer& server = setup.server;
  CSocket& socket = setup.socket;
  BRMessage& message = setup.message;
  Clock::duration slowest{};
  for (auto _ : state) {
    const auto start = Clock::now();
    fillRequest(message);
    message.send(socket, 0);
    message.receive(socket);
    slowest = std::max(slowest, Clock::now() - start);
  }
  if (message.SecurityDescriptor != ReplyDescriptor) state.SkipWithError("wrong reply");
  socket.close();
  recordExchanges(state, server, slowest, request.size(), reply.size());
}

void BM_RawSocketFloor(benchmark::State& state) {
  const auto request = requestBytes();
  const auto reply = replyBytes();
  const Placement placement(state.range(0));
  if (!placedAsAsked(state, placement)) return;
  ReplyServer server(request, reply, placement.serverCpu());
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(server.port());
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    state.SkipWithError("connect");
    return;
  }
  noDelay(fd);
  std::vector<unsigned char> in(reply.size());
  Clock::duration slowest{};
  for (auto _ : state) {
    const auto start = Clock::now();
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()) ||
        !readExactly(fd, in.data(), in.size())) {
      state.SkipWithError("exchange");
      break;
    }
    slowest = std::max(slowest, Clock::now() - start);
  }
  ::close(fd);
  recordExchanges(state, server, slowest, request.size(), reply.size());
}

// The two exchanges taken turn about on one connection, each timed on its own: the message
// exchange, then the same bytes written and read raw. Taken at the same moments, the two
// medians are not skewed by the machine's speed drifting between separate runs, so their
// ratio is the steadiest figure of what the message costs over the floor. The argument
// deadlines bounds the connection and starts each exchange's clock, as the library does when
// the host has set bounds.
void BM_ExchangeAgainstFloor(benchmark::State& state) {
  ExchangeSetup setup(state, state.range(1) != 0);  // every iteration is two requests to its server
  if (!placedAsAsked(state, setup.placement)) return;
  const auto& request = setup.request;
  ReplyServer& server = setup.server;
  CSocket& socket = setup.socket;
  BRMessage& message = setup.message;
  const int fd = socket.handle();
  std::vector<unsigned char> in(setup.reply.size());
  std::vector<double> exchange, floor;
  exchange.reserve(static_cast<std::size_t>(state.max_iterations));
  floor.reserve(static_cast<std::size_t>(state.max_iterations));
  for (auto _ : state) {
    const auto start = Clock::now();
    fillRequest(message);
    socket.beginExchange();
    message.send(socket, 0);
    message.receive(socket);
    const auto between = Clock::now();
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()) ||
        !readExactly(fd, in.data(), in.size())) {
      state.SkipWithError("exchange");
      break;
    }
    const auto end = Clock::now();
    exchange.push_back(std::chrono::duration<double, std::micro>(between - start).count());
    floor.push_back(std::chrono::duration<double, std::micro>(end - between).count());
  }
  if (message.SecurityDescriptor != ReplyDescriptor) state.SkipWithError("wrong reply");
  socket.close();
  if (server.finish() != 2 * static_cast<long>(state.iterations())) state.SkipWithError("server out of step");
  const auto median = [](std::vector<double>& v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  const double exchangeMedian = median(exchange);
  const double floorMedian = median(floor);
  state.counters["exchange_median_us"] = exchangeMedian;
  state.counters["floor_median_us"] = floorMedian;
  state.counters["ratio"] = floorMedian > 0 ? exchangeMedian / floorMedian : 0;
}
BENCHMARK(BM_ExchangeAgainstFloor)->ArgNames({"placement", "deadlines"})->ArgsProduct({{0, 1, 2}, {0, 1}})->Iterations(2000)->Repetitions(7)->ReportAggregatesOnly(true)->UseRealTime();

// What the exchange costs us apart from the socket: building and writing the
// request, reading the reply, with memory in place of the connection.
void BM_ExchangeInMemory(benchmark::State& state) {
  CMemoryStream replyStream(replyBytes());
  CMemoryStream out;
  BRMessage message;
  for (auto _ : state) {
    fillRequest(message);
    out.clear();
    message.send(out, 0);
    replyStream.rewind();
    message.receive(replyStream);
  }
  if (message.SecurityDescriptor != ReplyDescriptor) state.SkipWithError("wrong reply");
}
BENCHMARK(BM_ExchangeInMemory);

double maxOf(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

BENCHMARK(BM_Exchange)->ArgName("placement")->DenseRange(0, 2)->Iterations(2000)->Repetitions(7)->ReportAggregatesOnly(true)->ComputeStatistics("max", maxOf)->UseRealTime();
BENCHMARK(BM_RawSocketFloor)->ArgName("placement")->DenseRange(0, 2)->Iterations(2000)->Repetitions(7)->ReportAggregatesOnly(true)->ComputeStatistics("max", maxOf)->UseRealTime();

// --- Encoding and decoding a property tree ----------------------------------------------------

// A deterministic name of 5 to 20 bytes.
std::string nameFor(const char* stem, int i) {
  std::string name = stem + std::to_string(i);
  const std::size_t length = 5 + static_cast<std::size_t>(i * 7919) % 16;
  while (name.size() < length) name += static_cast<char>('a' + name.size() % 26);
  name.resize(std::min<std::size_t>(std::max<std::size_t>(name.size(), 5), 20));
  return name;
}

struct PropertyTree {
  AttributeTree tree;
  std::size_t nodes = 0;
};

// About 10,000 leaves (text, integer, binary) under 2 levels of branches.
const PropertyTree& propertyTree() {
  static const PropertyTree built = [] {
    PropertyTree p;
    int leaf = 0;
    for (int s = 0; s < 40; ++s) {
      auto* section = static_cast<AttributeTree*>(p.tree.adopt(nameFor("section", s), std::make_unique<AttributeTree>()));
      ++p.nodes;
      for (int g = 0; g < 5; ++g) {
        auto* group = static_cast<AttributeTree*>(section->adopt(nameFor("group", g), std::make_unique<AttributeTree>()));
        ++p.nodes;
        for (int l = 0; l < 50; ++l, ++leaf) {
          const std::string name = nameFor("p", leaf);
          if (leaf % 5 == 4) {
            const std::string bytes(static_cast<std::size_t>(8 + leaf % 24), static_cast<char>(leaf));
            group->setBinary(name.c_str(), static_cast<std::uint32_t>(bytes.size()), bytes.data());
          } else if (leaf % 2 == 0) {
            group->setText(name.c_str(), ("value of " + name).c_str())->setIsSet(1);
          } else {
            group->setInteger(name.c_str(), leaf * 37)->setIsSet(1);
          }
          ++p.nodes;
        }
      }
    }
    ++p.nodes;  // the root
    return p;
  }();
  return built;
}

std::vector<unsigned char> encodedPropertyTree() {
  CMemoryStream out;
  FastTreeStreamer().writeTree(out, const_cast<AttributeTree&>(propertyTree().tree), "", -1, 0);
  return out.bytes();
}

void BM_EncodeTree(benchmark::State& state) {
  auto& tree = const_cast<AttributeTree&>(propertyTree().tree);
  CMemoryStream out;
  FastTreeStreamer streamer;
  for (auto _ : state) {
    out.clear();
    streamer.writeTree(out, tree, "", -1, 0);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * propertyTree().nodes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
  state.counters["nodes"] = static_cast<double>(propertyTree().nodes);
}

// Reading only: the tree read is destroyed outside the timed part.
void BM_DecodeTree(benchmark::State& state) {
  CMemoryStream in(encodedPropertyTree());
  FastTreeStreamer streamer;
  for (auto _ : state) {
    in.rewind();
    std::unique_ptr<AttributeNode> tree = streamer.readTree(in);
    benchmark::DoNotOptimize(tree.get());
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * propertyTree().nodes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

// Reading and then destroying the tree, as a reply's life goes.
void BM_DecodeAndDestroyTree(benchmark::State& state) {
  CMemoryStream in(encodedPropertyTree());
  FastTreeStreamer streamer;
  for (auto _ : state) {
    in.rewind();
    std::unique_ptr<AttributeNode> tree = streamer.readTree(in);
    benchmark::DoNotOptimize(tree.get());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * propertyTree().nodes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

// Reading each document over the tree read before it, as a connection reads its replies: the
// nodes are recycled, and the values of a document of the same shape are written over them.
void BM_DecodeTreeRecycling(benchmark::State& state) {
  CMemoryStream in(encodedPropertyTree());
  FastTreeStreamer streamer;
  std::unique_ptr<AttributeNode> tree;
  for (auto _ : state) {
    in.rewind();
    tree = streamer.readTree(in, std::move(tree));
    benchmark::DoNotOptimize(tree.get());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * propertyTree().nodes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_MemcpySameBytes(benchmark::State& state) {
  const auto source = encodedPropertyTree();
  std::vector<unsigned char> target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * propertyTree().nodes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

BENCHMARK(BM_EncodeTree);
BENCHMARK(BM_DecodeTree);
BENCHMARK(BM_DecodeAndDestroyTree);
BENCHMARK(BM_DecodeTreeRecycling);
BENCHMARK(BM_MemcpySameBytes);

// --- Building a branch by path ----------------------------------------------------------------

enum class NameOrder { Ascending, Descending, Scattered };

// The i-th of count names in the given order; names sort as their numbers do.
std::string leafName(std::int64_t i, std::int64_t count, NameOrder order) {
  std::int64_t number = i;
  if (order == NameOrder::Descending) number = count - 1 - i;
  // A stride coprime to count visits every number once, far from its neighbours.
  if (order == NameOrder::Scattered) number = (i * 7919) % count;
  char name[24];
  std::snprintf(name, sizeof name, "leaf%07lld", static_cast<long long>(number));
  return std::string("branch.") + name;
}

// Text leaves set by path under one branch, in ascending, descending or scattered name order.
void BM_BuildBranch(benchmark::State& state) {
  const auto order = static_cast<NameOrder>(state.range(0));
  const std::int64_t count = state.range(1);
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) paths.push_back(leafName(i, count, order));
  for (auto _ : state) {
    auto tree = std::make_unique<AttributeTree>();
    for (const std::string& path : paths) tree->setText(path.c_str(), "value");
    benchmark::DoNotOptimize(tree->find("branch"));
    state.PauseTiming();
    if (static_cast<std::int64_t>(tree->getBranch("branch")->childCount()) != count)
      state.SkipWithError("children lost");
    tree.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}

// Lookups by path among the 10,000 children of one branch, built in scattered order.
void BM_FindChild(benchmark::State& state) {
  constexpr std::int64_t count = 10000;
  AttributeTree tree;
  std::vector<std::string> paths;
  for (std::int64_t i = 0; i < count; ++i) {
    paths.push_back(leafName(i, count, NameOrder::Scattered));
    tree.setText(paths.back().c_str(), "value");
  }
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tree.findText(paths[next].c_str()));
    next = next + 1 == paths.size() ? 0 : next + 1;
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_BuildBranch)
    ->ArgNames({"order", "children"})
    ->ArgsProduct({{0, 1, 2}, {10000, 100000}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);
BENCHMARK(BM_FindChild);

}  // namespace

BENCHMARK_MAIN();
