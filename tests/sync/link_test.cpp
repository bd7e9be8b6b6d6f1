// The non-blocking TCP client and the editor link against an editor double on 127.0.0.1, and
// the atomic saving of track files.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "command_line.h"
#include "editor_double.h"
#include "params/synccontext.h"
#include "sync/sync_editor_link.h"
#include "sync/track_file_writer.h"
#include "system/tcp_client.h"

namespace vexil {
namespace {

double NowMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Calls `step` until `done` or `ms` pass; true when done.
bool Until(const std::function<void()>& step, const std::function<bool()>& done, int ms = 3000) {
  const double end = NowMs() + ms;
  while (NowMs() < end) {
    step();
    if (done()) return true;
    usleep(2000);
  }
  return false;
}

// A port nothing listens on: bound, then closed again.
uint16_t FreePort() {
  EditorDouble closed;
  return closed.Port();
}

TEST(TcpClient, ConnectsSendsAndReceivesWithoutBlocking) {
  EditorDouble peer;
  ASSERT_NE(0, peer.Port());
  sys::TcpClient client;
  std::string error;
  ASSERT_TRUE(client.Connect("127.0.0.1", peer.Port(), &error)) << error;
  ASSERT_TRUE(peer.Accept(2000));
  ASSERT_TRUE(Until([&] { client.Poll(&error); },
                    [&] { return client.GetState() == sys::TcpClient::State::kConnected; }));
  std::string got;
  ASSERT_TRUE(client.Receive(&got, 100, &error)) << "nothing there yet is no failure";
  EXPECT_TRUE(got.empty());
  ASSERT_TRUE(client.Send("ping", &error));
  ASSERT_TRUE(peer.WaitFor(4, 2000));
  EXPECT_EQ("ping", peer.Take(4));
  ASSERT_TRUE(peer.Send("0123456789"));
  ASSERT_TRUE(Until([&] { client.Receive(&got, 3, &error); }, [&] { return got.size() >= 10; }));
  EXPECT_EQ("0123456789", got);
  peer.CloseClient();
  EXPECT_TRUE(Until([&] { client.Receive(&got, 100, &error); },
                    [&] { return client.GetState() == sys::TcpClient::State::kClosed; }));
}

TEST(TcpClient, RefusedConnectionsAndBadAddressesFailCleanly) {
  sys::TcpClient client;
  std::string error;
  EXPECT_FALSE(client.Connect("example.org", 1338, &error)) << "no name lookups";
  const uint16_t port = FreePort();
  if (client.Connect("127.0.0.1", port, &error)) {
    EXPECT_TRUE(Until([&] { client.Poll(&error); },
                      [&] { return client.GetState() == sys::TcpClient::State::kClosed; }));
  }
  EXPECT_FALSE(error.empty());
}

class SyncLink : public ::testing::Test {
 protected:
  void SetUp() override {
    sync_.SetMusic(true, 120.0, 4);  // 8 rows a second
    std::string problem;
    sync_.UseTrack("a", "/nonexistent", &problem);
    sync_.UseTrack("b", "/nonexistent", &problem);
  }
  // Connects the link to the double and answers the greeting and track requests.
  void Connect(SyncEditorLink* link) {
    ASSERT_TRUE(Until([&] { link->Update(NowMs(), &requests_); },
                      [&] { return editor_.HasClient() || editor_.Accept(1); }));
    ASSERT_TRUE(
        Until([&] { link->Update(NowMs(), &requests_); }, [&] { return editor_.WaitFor(19, 1); }));
    ASSERT_TRUE(editor_.Greet(1000));
    ASSERT_TRUE(
        Until([&] { link->Update(NowMs(), &requests_); }, [&] { return link->Connected(); }));
    EXPECT_EQ("a", editor_.ReadGetTrack(2000));
    EXPECT_EQ("b", editor_.ReadGetTrack(2000));
  }
  void Pump(SyncEditorLink* link, int ms = 100) {
    Until([&] { link->Update(NowMs(), &requests_); }, [] { return false; }, ms);
  }

  EditorDouble editor_;
  CSyncContext sync_;
  SyncEditorRequests requests_;
};

TEST_F(SyncLink, GreetsAsksForTracksAndAppliesTheEditorsCommands) {
  SyncEditorLink link("127.0.0.1", editor_.Port());
  link.UseContext(&sync_);
  EXPECT_EQ("sync: waiting for 127.0.0.1:" + std::to_string(editor_.Port()), link.Status());
  Connect(&link);
  EXPECT_EQ("sync: connected to 127.0.0.1:" + std::to_string(editor_.Port()), link.Status());

  ASSERT_TRUE(editor_.Send(EditorDouble::SetKey(1, 8, 2.5f, 1) +
                           EditorDouble::SetKey(1, 16, 4.0f, 0) + EditorDouble::DeleteKey(1, 8) +
                           EditorDouble::SetRow(24) + EditorDouble::Pause(true) +
                           EditorDouble::SaveTracks()));
  requests_ = SyncEditorRequests();
  Until([&] { link.Update(NowMs(), &requests_); }, [&] { return requests_.save; });
  ASSERT_EQ(1u, sync_.GetTrack(1).GetKeys().size());
  EXPECT_EQ(16, sync_.GetTrack(1).GetKeys()[0].row);
  EXPECT_TRUE(sync_.GetTrack(0).IsEmpty());
  EXPECT_TRUE(requests_.seek);
  EXPECT_EQ(24, requests_.row);
  EXPECT_TRUE(requests_.pause_changed);
  EXPECT_TRUE(requests_.pause);

  // The row the editor set is not echoed; a new whole row is told once.
  link.FollowTime(3000.0);
  link.FollowTime(3100.0);
  link.FollowTime(3125.0);
  ASSERT_TRUE(editor_.WaitFor(5, 2000));
  EXPECT_EQ(EditorDouble::SetRow(25), editor_.Take(5));
  EXPECT_FALSE(editor_.WaitFor(1, 100));
  link.FollowTime(3125.0, true);
  ASSERT_TRUE(editor_.WaitFor(5, 2000));
  EXPECT_EQ(EditorDouble::SetRow(25), editor_.Take(5)) << "a pause tells the still row";

  // A reload asks again for the tracks the new demo uses.
  CSyncContext reloaded;
  reloaded.SetMusic(true, 120.0, 4);
  std::string problem;
  reloaded.UseTrack("c", "/nonexistent", &problem);
  link.UseContext(&reloaded);
  EXPECT_EQ("c", editor_.ReadGetTrack(2000));
  EXPECT_TRUE(link.Connected());
}

TEST_F(SyncLink, MalformedInputDropsTheLinkWithAMessageAndItComesBack) {
  SyncEditorLink link("127.0.0.1", editor_.Port());
  link.UseContext(&sync_);
  Connect(&link);
  link.TakeMessages();
  ASSERT_TRUE(editor_.Send(EditorDouble::SetKey(2, 0, 1.0f, 0)));  // only tracks 0 and 1
  ASSERT_TRUE(Until([&] { link.Update(NowMs(), &requests_); }, [&] { return !link.Connected(); }));
  const std::vector<std::string> said = link.TakeMessages();
  ASSERT_EQ(1u, said.size());
  EXPECT_NE(std::string::npos, said[0].find("dropped: the editor named track 2 of 2")) << said[0];
  EXPECT_TRUE(editor_.WaitForClose(2000));
  editor_.CloseClient();
  EXPECT_EQ(0u, link.TakeMessages().size()) << "said once";

  // About a second later it tries again, without holding up the caller.
  const double before = NowMs();
  Connect(&link);
  EXPECT_GE(NowMs() - before, 500.0);
  link.TakeMessages();
  ASSERT_TRUE(editor_.Send(std::string("\x07")));
  ASSERT_TRUE(Until([&] { link.Update(NowMs(), &requests_); }, [&] { return !link.Connected(); }));
  EXPECT_NE(std::string::npos, link.TakeMessages().back().find("unknown command byte 7"));
}

TEST_F(SyncLink, APeerThatIsNoEditorIsLeft) {
  SyncEditorLink link("127.0.0.1", editor_.Port());
  link.UseContext(&sync_);
  ASSERT_TRUE(Until([&] { link.Update(NowMs(), &requests_); }, [&] { return editor_.Accept(1); }));
  ASSERT_TRUE(editor_.WaitFor(19, 2000));
  ASSERT_TRUE(editor_.Send("HTTP/1.1 400"));
  EXPECT_TRUE(
      Until([&] { link.Update(NowMs(), &requests_); }, [&] { return editor_.WaitForClose(1); }));
  EXPECT_FALSE(link.Connected());
}

TEST(SyncAddress, ReadsHostAndPort) {
  std::string host;
  uint16_t port = 0;
  EXPECT_TRUE(ParseSyncAddress("10.0.0.2:1339", &host, &port));
  EXPECT_EQ("10.0.0.2", host);
  EXPECT_EQ(1339, port);
  EXPECT_TRUE(ParseSyncAddress("[::1]:80", &host, &port));
  EXPECT_EQ("::1", host);
  EXPECT_FALSE(ParseSyncAddress("demo.xml", &host, &port));
  EXPECT_FALSE(ParseSyncAddress("host:0", &host, &port));
  EXPECT_FALSE(ParseSyncAddress("host:65536", &host, &port));
  EXPECT_FALSE(ParseSyncAddress(":1338", &host, &port));
}

TEST(SyncCommandLine, TakesAnOptionalAddressWithEditModeOnly) {
  PlayerOptions options;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"--edit", "--sync", "demo.xml"}, &options, &error)) << error;
  EXPECT_TRUE(options.sync);
  EXPECT_EQ("127.0.0.1", options.sync_host);
  EXPECT_EQ(1338, options.sync_port);
  EXPECT_EQ("demo.xml", options.script_path);
  ASSERT_TRUE(
      ParseCommandLine({"--sync", "10.1.2.3:4000", "--edit", "my demo.xml"}, &options, &error));
  EXPECT_EQ("10.1.2.3", options.sync_host);
  EXPECT_EQ(4000, options.sync_port);
  EXPECT_EQ("my demo.xml", options.script_path);
  EXPECT_FALSE(ParseCommandLine({"--sync", "demo.xml"}, &options, &error));
  EXPECT_NE(std::string::npos, error.find("--sync only applies to --edit"));
}

class TrackFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/vexil-tracks-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    folder_ = folder;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string folder_;
};

TEST_F(TrackFiles, SavedTracksReadBackAndReplaceWholeFiles) {
  CSyncContext sync;
  sync.SetMusic(true, 100.0, 8);
  std::string problem;
  const int32_t index = sync.UseTrack("fade out", folder_, &problem);
  sync.GetTrack(index).SetKeys({{0, 1.0f, 2}, {32, 0.0f, 0}});
  // A link at the file's place is replaced, not written through.
  const std::string target = folder_ + "/elsewhere";
  std::ofstream(target) << "keep";
  const std::string path = folder_ + "/sync_fade-20out.track";
  std::filesystem::create_symlink(target, path);
  std::vector<std::string> written;
  std::string error;
  ASSERT_TRUE(SaveSyncTracks(sync, folder_, &written, &error)) << error;
  ASSERT_EQ(std::vector<std::string>{path}, written);
  EXPECT_FALSE(std::filesystem::is_symlink(path));
  std::ifstream kept(target);
  EXPECT_EQ("keep", std::string(std::istreambuf_iterator<char>(kept), {}));

  problem.clear();
  CSyncContext again;
  again.SetMusic(true, 100.0, 8);
  const int32_t read = again.UseTrack("fade out", folder_, &problem);
  EXPECT_TRUE(problem.empty()) << problem;
  ASSERT_EQ(2u, again.GetTrack(read).GetKeys().size());
  EXPECT_EQ(2, again.GetTrack(read).GetKeys()[0].type);

  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(2, files) << "no temporary file is left";
}

TEST_F(TrackFiles, AFailedSaveSaysWhyAndKeepsTheOldFile) {
  std::string error;
  EXPECT_FALSE(ReplaceFileAtomically(folder_ + "/missing/x.track", "data", &error));
  EXPECT_NE(std::string::npos, error.find("cannot create")) << error;
}

}  // namespace
}  // namespace vexil
