// A document with one frame whose extension run the tests load from and save
// to memory, collecting the warnings the document receives.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "gif/GIFImage.h"
#include "tests/gif/GifBytes.h"

namespace gif::test {

using giftest::Bytes;
using giftest::Concat;
using giftest::Text;

class ExtensionRun : public ::testing::Test {
 protected:
  ExtensionRun() {
    auto owned = std::make_unique<TGIFSubImage>(&doc);
    frame = owned.get();
    doc.Frames().Append(std::move(owned));
    doc.WarningHandler = [this](TPersistent*, int severity, const std::string& message) {
      EXPECT_EQ(severity, 1);
      warnings.push_back(message);
    };
  }
  // Registries changed by a test must not leak into the next one.
  ~ExtensionRun() override { LibraryShutdown(); }

  TGIFExtensionList& List() { return frame->Extensions(); }

  // Reads the run at the start of bytes; returns where the reader left off.
  int64_t Load(const Bytes& bytes) {
    TMemoryStream stream(bytes);
    List().LoadFromStream(stream, *frame);
    return stream.Position();
  }

  Bytes Save() {
    TMemoryStream out;
    List().SaveToStream(out);
    return out.Bytes();
  }

  // Loads bytes and expects them back from a save.
  void ExpectRoundTrip(const Bytes& bytes) {
    EXPECT_EQ(Load(bytes), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(Save(), bytes);
  }

  template <typename Action>
  static void ExpectGIFError(Action action, const std::string& message) {
    try {
      action();
      ADD_FAILURE() << "expected \"" << message << "\"";
    } catch (const GIFException& e) {
      EXPECT_EQ(e.what(), message);
    }
  }

  // The load raises message and leaves the list as it was.
  void ExpectLoadFails(const Bytes& bytes, const std::string& message) {
    const int before = List().ItemCount();
    ExpectGIFError([&] { Load(bytes); }, message);
    EXPECT_EQ(List().ItemCount(), before);
  }

  template <typename T>
  bool IsA(int index) {
    return dynamic_cast<T*>(&List().Extension(index)) != nullptr;
  }

  // Raises std::bad_cast when the extension is of another kind.
  template <typename T>
  T& At(int index) {
    return dynamic_cast<T&>(List().Extension(index));
  }

  TGIFImage doc;
  TGIFSubImage* frame = nullptr;
  std::vector<std::string> warnings;
};

}  // namespace gif::test
