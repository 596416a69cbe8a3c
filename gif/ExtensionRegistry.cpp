#include "gif/ExtensionRegistry.h"

#include <initializer_list>
#include <memory>

#include "gif/AppExtensions.h"
#include "gif/Settings.h"

namespace gif {

namespace {

std::unique_ptr<TExtensionList> labelRegistry;

}  // namespace

TExtensionList& LabelRegistry() {
  if (!labelRegistry) {
    auto registry = std::make_unique<TExtensionList>();
    for (const TGIFExtensionKind* kind :
         {&TGIFTextExtension::Kind, &TGIFGraphicControlExtension::Kind, &TGIFCommentExtension::Kind,
          &TGIFApplicationExtension::Kind})
      registry->RegisterKind(*kind, kind->Label);
    labelRegistry = std::move(registry);
    FreeAtShutdown(&FreeLabelRegistry);
  }
  return *labelRegistry;
}

void FreeLabelRegistry() {
  labelRegistry.reset();
}

const TGIFExtensionKind* PeekExtensionKind(TStream& stream) {
  const int64_t labelPosition = stream.Position();
  const TGIFExtensionKind* kind = nullptr;
  uint8_t label = 0;
  if (stream.ReadByte(label)) kind = LabelRegistry().FindKind(label);
  // Each step reads on where the previous one stopped, until a kind settles on
  // itself. A step that changes the kind has consumed bytes, so the chain ends
  // at the latest where the data does.
  while (kind != nullptr) {
    const TGIFExtensionKind* next = kind->ResolveClass(*kind, stream);
    if (next == kind) break;
    kind = next;
  }
  stream.SetPosition(labelPosition);
  return kind;
}

}  // namespace gif
