// tornvale-make-sample FOLDER: writes a small Windows system volume's
// hives below FOLDER, for trying TORNVALE_OFFLINE_ROOT without a disk image.
#include <cstdio>
#include <exception>

#include "hive/sample_volume.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tornvale-make-sample FOLDER\n");
    return 1;
  }
  try {
    tornvale::testing::WriteSampleVolume(argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tornvale-make-sample: %s\n", error.what());
    return 2;
  }
  return 0;
}
