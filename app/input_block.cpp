#include "velmora/app/input_block.hpp"

namespace velmora {

InputBlock::InputBlock() {
  bytes_.reserve(kInputChunkBytes);
  spill_.reserve(kFieldsPerLine * kFieldReadLimitBytes);
}

void InputBlock::clear() {
  lineCount_ = 0;
  bytes_.clear();
  spill_.clear();
  hasSpilledLine_ = false;
}

}  // namespace velmora
