// tornvale-make-dirty-sample FOLDER [old]: writes the sample volume with its
// SYSTEM hive dirty and the link "Logged Link" only in its logs (new format,
// or with "old" the dirty vector format). Seeds the fuzz target's corpus.
#include <cstdio>
#include <cstring>
#include <exception>

#include "hive/sample_volume.h"
#include "offline/dirty_sample.h"

int main(int argc, char** argv) {
  if (argc < 2 || (argc == 3 && std::strcmp(argv[2], "old") != 0) || argc > 3) {
    std::fprintf(stderr, "usage: tornvale-make-dirty-sample FOLDER [old]\n");
    return 1;
  }
  try {
    tornvale::testing::WriteSampleVolume(argv[1]);
    tornvale::testing::MakeSystemDirty(argv[1], argc == 3 ? tornvale::testing::LogFormat::kDirtyVector
                                                          : tornvale::testing::LogFormat::kEntries);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tornvale-make-dirty-sample: %s\n", error.what());
    return 2;
  }
  return 0;
}
