#include "upload/block_upload.h"

#include <gtest/gtest.h>

#include "support/pty_pair.h"
#include "support/recording_panel.h"
#include "title_display_sim/title_display_sim.h"

namespace marvek {
namespace {

using namespace std::chrono_literals;
using sim::SimOptions;
using sim::TitleDisplaySim;
using testing::PtyPair;
using testing::RecordingPanel;

// An image of `blocks` blocks whose bytes differ from block to block.
ByteString Image(std::size_t blocks) {
  ByteString image;
  for (std::size_t i = 0; i < blocks * kBlockSize; ++i) image += static_cast<char>(i * 7 + 3);
  return image;
}

struct Display {
  explicit Display(SimOptions options = {}) : sim(std::move(options)) {
    const auto failed = sim.Start();
    EXPECT_FALSE(failed.has_value()) << *failed;
    EXPECT_TRUE(link.Open(FromOperatorChoice(sim.PortPath(), "115200"))) << link.LastFailure();
  }
  UploadResult Upload(const ByteString& image) { return UploadTitleImage(image, link, panel); }

  TitleDisplaySim sim;
  SerialLink link;
  RecordingPanel panel;
};

TEST(UploadImage, SendsEachBlockAsOneFrameAndReportsProgressPerBlock) {
  Display one;
  EXPECT_EQ(one.Upload(Image(1)).outcome, UploadOutcome::Uploaded);
  ASSERT_EQ(one.sim.Frames().size(), 1u);
  EXPECT_EQ(one.sim.Frames()[0], "L" + Image(1));
  EXPECT_EQ(one.panel.progress, std::vector<float>{100});

  Display four;
  const UploadResult result = four.Upload(Image(4));
  EXPECT_EQ(result.outcome, UploadOutcome::Uploaded);
  EXPECT_EQ(result.blocksAcknowledged, 4u);
  EXPECT_EQ(four.sim.Image(), Image(4));
  EXPECT_TRUE(four.sim.Problems().empty());
  EXPECT_EQ(four.panel.progress, (std::vector<float>{25, 50, 75, 100}));
  // The window was given its events while the upload waited.
  EXPECT_GE(four.panel.processEventsCalls, 4);
  EXPECT_EQ(UploadImage(Image(2), four.link, four.panel), UploadOutcome::Uploaded);
}

TEST(UploadImage, AnyReplyHoldingACapitalRAcknowledgesEvenInPieces) {
  SimOptions ok;
  ok.reply = "OK R";
  Display chatty(ok);
  EXPECT_EQ(chatty.Upload(Image(3)).outcome, UploadOutcome::Uploaded);

  SimOptions pieces;
  pieces.reply = "xyR";
  pieces.split = true;  // x, y and R come in separate reads
  Display split(pieces);
  EXPECT_EQ(split.Upload(Image(3)).outcome, UploadOutcome::Uploaded);
  EXPECT_EQ(split.sim.FrameCount(), 3u);
}

TEST(UploadImage, AnUnansweredBlockEndsTheUploadAfterThreeSecondsAndNothingMoreIsSent) {
  PtyPair device;
  SerialLink link;
  ASSERT_TRUE(link.Open(FromOperatorChoice(device.path(), "9600")));
  // Sent before the first block: it holds two R, but one read acknowledges one block only.
  device.Send("OK R R");
  RecordingPanel panel;
  const auto start = std::chrono::steady_clock::now();
  const UploadResult result = UploadTitleImage(Image(3), link, panel);
  const auto took = std::chrono::steady_clock::now() - start;

  EXPECT_EQ(result.outcome, UploadOutcome::NoReply);
  EXPECT_EQ(result.blocksAcknowledged, 1u);
  EXPECT_GE(took, kReplyTimeout);
  EXPECT_EQ(panel.progress.size(), 1u);
  // Two frames went out, the third never did.
  EXPECT_EQ(device.Receive(3 * 17, 300ms),
            "L" + Image(3).substr(0, 16) + "L" + Image(3).substr(16, 16));
}

TEST(UploadImage, ALateAnswerWaitingInThePortCountsForTheNextBlock) {
  // The display answers the first block twice; the second "R" arrives after the first was read
  // and before the second block goes out. The port is not emptied between blocks, so it
  // acknowledges the second block, which the display itself never answers.
  struct LateAnswer : RecordingPanel {
    PtyPair* device = nullptr;
    void SetProgress(float percent) override {
      if (progress.empty()) device->Send("R");
      RecordingPanel::SetProgress(percent);
    }
  };
  PtyPair device;
  SerialLink link;
  ASSERT_TRUE(link.Open(FromOperatorChoice(device.path(), "9600")));
  LateAnswer panel;
  panel.device = &device;
  panel.onProcessEvents = [&] {
    if (panel.processEventsCalls == 1) device.Send("R");
  };
  const UploadResult result = UploadTitleImage(Image(2), link, panel);
  EXPECT_EQ(result.outcome, UploadOutcome::Uploaded);
  EXPECT_EQ(device.Receive(2 * 17), "L" + Image(2).substr(0, 16) + "L" + Image(2).substr(16));
}

TEST(UploadImage, ADeviceThatGoesAwayEndsTheUploadAsAFailedLink) {
  SimOptions unplug;
  unplug.hangupAfter = 2;
  Display display(unplug);
  const UploadResult result = display.Upload(Image(4));
  EXPECT_EQ(result.outcome, UploadOutcome::LinkFailed);
  EXPECT_EQ(result.reason, "the device is gone (Input/output error)");
  EXPECT_EQ(result.blocksAcknowledged, 1u);

  Display ragged;
  EXPECT_EQ(ragged.Upload("seventeen bytes!!").outcome, UploadOutcome::LinkFailed);
  EXPECT_EQ(ragged.sim.FrameCount(), 0u);
}

}  // namespace
}  // namespace marvek
