// Further decoders to compare loading with. Both compose every frame onto the
// logical screen as RGBA pixels instead of keeping colour indices, so they do
// more per pixel than a load into a document does.
#pragma once

#include <cstdint>
#include <vector>

namespace bench {

// Whether the peer was built in; a peer that is missing is left out of the
// report.
bool HaveStb();
bool HaveQt();

// Decodes every frame; returns the count of frames decoded, 0 on failure.
int StbDecode(const std::vector<uint8_t>& data);
int QtDecode(const std::vector<uint8_t>& data);

}  // namespace bench
