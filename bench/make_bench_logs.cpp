// make_bench_logs HIVE [PAGES]: makes the hive at HIVE dirty for timing its
// recovery. Its base block is rewritten as a write left it that did not
// finish, and HIVE.LOG1 and HIVE.LOG2 get log entries (64 pages each, half
// the entries in each file) of PAGES 4 KiB pages (default 4000) spread
// evenly over the hive. The pages hold the hive's own bytes, so the
// recovered hive is the clean one and both searches print the same lines.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "offline/marvin32.h"

namespace {

constexpr std::size_t kBlock = 0x1000;
constexpr std::size_t kPagesPerEntry = 64;

uint32_t Get32(const std::string& bytes, std::size_t at) {
  uint32_t value;
  std::memcpy(&value, &bytes[at], 4);
  return value;
}
void Put32(std::string& bytes, std::size_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }
void Put64(std::string& bytes, std::size_t at, uint64_t value) { std::memcpy(&bytes[at], &value, 8); }

void Reseal(std::string& block) {
  uint32_t sum = 0;
  for (std::size_t at = 0; at < 508; at += 4) sum ^= Get32(block, at);
  Put32(block, 508, sum);
}

std::string Entry(const std::string& hive, const std::vector<uint32_t>& pages, uint32_t sequence) {
  std::string entry(40 + 8 * pages.size(), '\0');
  std::memcpy(&entry[0], "HvLE", 4);
  Put32(entry, 12, sequence);
  Put32(entry, 16, Get32(hive, 40));
  Put32(entry, 20, static_cast<uint32_t>(pages.size()));
  for (std::size_t i = 0; i < pages.size(); ++i) {
    Put32(entry, 40 + 8 * i, pages[i]);
    Put32(entry, 44 + 8 * i, kBlock);
  }
  for (uint32_t page : pages) entry += hive.substr(kBlock + page, kBlock);
  entry.resize((entry.size() + 511) / 512 * 512, '\0');
  Put32(entry, 4, static_cast<uint32_t>(entry.size()));
  const auto* bytes = reinterpret_cast<const uint8_t*>(entry.data());
  Put64(entry, 24, tornvale::Marvin32(bytes + 40, entry.size() - 40, tornvale::kHiveLogSeed));
  Put64(entry, 32, tornvale::Marvin32(bytes, 32, tornvale::kHiveLogSeed));
  return entry;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: make_bench_logs HIVE [PAGES]\n");
    return 1;
  }
  const std::string path = argv[1];
  const std::size_t wanted = argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 4000;
  std::ifstream in(path, std::ios::binary);
  std::string hive((std::istreambuf_iterator<char>(in)), {});
  if (hive.size() < 2 * kBlock || hive.compare(0, 4, "regf") != 0) {
    std::fprintf(stderr, "make_bench_logs: %s is no hive\n", path.c_str());
    return 2;
  }
  const std::size_t total = Get32(hive, 40) / kBlock;
  const std::size_t step = wanted == 0 || wanted >= total ? 1 : total / wanted;
  std::vector<uint32_t> pages;
  for (std::size_t page = 0; page < total && pages.size() < wanted; page += step) {
    pages.push_back(static_cast<uint32_t>(page * kBlock));
  }
  const uint32_t sequence = Get32(hive, 4);
  std::string base = hive.substr(0, 512);
  Put32(base, 4, sequence + 1);
  Put32(base, 8, sequence + 1);
  Put32(base, 28, 6);
  Reseal(base);
  std::string logs[2] = {base, base};
  const std::size_t entries = (pages.size() + kPagesPerEntry - 1) / kPagesPerEntry;
  for (std::size_t e = 0; e < entries; ++e) {
    const std::vector<uint32_t> chunk(pages.begin() + static_cast<std::ptrdiff_t>(e * kPagesPerEntry),
                                      pages.begin() + static_cast<std::ptrdiff_t>(
                                                          std::min(pages.size(), (e + 1) * kPagesPerEntry)));
    logs[e < entries / 2 ? 0 : 1] += Entry(hive, chunk, static_cast<uint32_t>(sequence + 1 + e));
  }
  std::string head = hive.substr(0, kBlock);
  Put32(head, 4, sequence + 1);  // the write that did not finish
  Reseal(head);
  hive.replace(0, kBlock, head);
  if (!WriteFile(path + ".LOG1", logs[0]) || !WriteFile(path + ".LOG2", logs[1]) ||
      !WriteFile(path, hive)) {
    std::fprintf(stderr, "make_bench_logs: cannot write beside %s\n", path.c_str());
    return 2;
  }
  std::printf("%zu pages in %zu entries\n", pages.size(), entries);
  return 0;
}
