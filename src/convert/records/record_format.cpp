#include "convert/records/record_format.h"

namespace marvek {

void PadTitleImage(ByteString& image) {
  image.append(kBlockSize - image.size() % kBlockSize, kFillByte);
}

}  // namespace marvek
