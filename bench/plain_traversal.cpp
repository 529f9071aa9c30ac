// plain_traversal HIVE: visits every key of a hive depth first with libhivex
// (its subkeys and its name) and prints nothing: the floor the offline walk
// is measured against.
#include <hivex.h>

#include <cstdio>
#include <cstdlib>

namespace {

void Visit(hive_h* hive, hive_node_h node) {
  hive_node_h* children = hivex_node_children(hive, node);
  if (children == nullptr) return;
  for (hive_node_h* child = children; *child != 0; ++child) {
    std::free(hivex_node_name(hive, *child));
    Visit(hive, *child);
  }
  std::free(children);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: plain_traversal HIVE\n");
    return 1;
  }
  hive_h* hive = hivex_open(argv[1], 0);
  if (hive == nullptr) {
    std::perror(argv[1]);
    return 2;
  }
  Visit(hive, hivex_root(hive));
  hivex_close(hive);
  return 0;
}
