// The GIF format's entry in the program's registry, for the life of the
// registration object.
#include "app/Registration.h"

#include <gtest/gtest.h>

#include "gif/AppExtensions.h"
#include "gif/ExtensionRegistry.h"
#include "gif/Extensions.h"

TEST(TGIFRegistration, RegistersExtensionAndClipboardFormatUntilShutdown) {
  app::TGraphicRegistry& registry = app::TGraphicRegistry::Instance();
  int clipboard = -1;
  {
    const app::TGIFRegistration registration;
    const app::TFileFormat* format = registry.FindExtension("gif");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->Extension, "GIF");
    EXPECT_EQ(format->Description, "GIF Image");
    EXPECT_EQ(registry.FindExtension("GIF"), format);
    const auto document = format->Create();
    ASSERT_NE(document, nullptr);
    EXPECT_STREQ(document->ClassName(), "TGIFImage");
    EXPECT_TRUE(document->IsEmpty());

    clipboard = registry.ClipboardFormat("GIF Image");
    EXPECT_GE(clipboard, app::TGraphicRegistry::FirstClipboardFormat);
    EXPECT_EQ(registry.ClipboardClass(clipboard), "TGIFImage");

    // Entries the running program added to the extension registries.
    gif::LabelRegistry().RegisterKind(gif::TGIFCommentExtension::Kind, 0x99);
    gif::IdentRegistry().RegisterKind(gif::TGIFUnknownAppExtension::Kind,
                                      gif::MakeAppIdentifier("TESTTEST1.0"));
  }
  // Ending the registration ran the library's shutdown: both registries were
  // freed, and their next use starts from the fixed entries.
  EXPECT_EQ(gif::LabelRegistry().FindKind(0x99), nullptr);
  EXPECT_EQ(gif::LabelRegistry().Count(), 4);
  EXPECT_EQ(gif::IdentRegistry().Count(), 2);
  EXPECT_EQ(registry.FindExtension("gif"), nullptr);
  EXPECT_EQ(registry.ClipboardClass(clipboard), "");
  // The name keeps its number, as registered clipboard names do.
  EXPECT_EQ(registry.ClipboardFormat("GIF Image"), clipboard);
  {
    const app::TGIFRegistration again;
    EXPECT_EQ(registry.ClipboardFormat("GIF Image"), clipboard);
    EXPECT_NE(registry.FindExtension("gif"), nullptr);
  }
}

TEST(TGraphicRegistry, UnregisteringOneClassLeavesOthers) {
  app::TGraphicRegistry& registry = app::TGraphicRegistry::Instance();
  registry.RegisterFileFormat({"xyz", "Test picture", "TTestGraphic", nullptr});
  registry.RegisterFileFormat({"XYW", "Other picture", "TOtherGraphic", nullptr});
  EXPECT_EQ(registry.RegisterClipboardFormat("Test picture"),
            registry.RegisterClipboardFormat("Test picture"));
  registry.UnregisterClass("TTestGraphic");
  EXPECT_EQ(registry.FindExtension("xyz"), nullptr);
  ASSERT_NE(registry.FindExtension("xyw"), nullptr);
  registry.UnregisterClass("TOtherGraphic");
  EXPECT_EQ(registry.FindExtension("xyw"), nullptr);
  EXPECT_EQ(registry.ClipboardFormat("never registered"), -1);
}
