// The editor's window as a Unix datagram socket: each copy-data message is one datagram with
// the sender, dwData, cbData and the data; without a listener the send neither blocks nor
// fails loudly.
#include "platform/editor_link.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/clock.h"
#include "platform/seams.h"
#include "support/temp_dir.h"

namespace {

class EditorLink : public ::testing::Test {
protected:
    void SetUp() override {
        saved = plat::GetSeams();
        path = dir.path + "/editor.sock";
        plat::Seams seams = saved;
        seams.editorSocket = path;
        plat::SetSeams(seams);
    }
    void TearDown() override {
        if (listener >= 0) close(listener);
        plat::SetSeams(saved);
    }
    void Listen() {
        listener = socket(AF_UNIX, SOCK_DGRAM, 0);
        ASSERT_GE(listener, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path.c_str());
        ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    std::vector<std::uint8_t> Receive() {
        std::vector<std::uint8_t> bytes(256);
        const ssize_t n = recv(listener, bytes.data(), bytes.size(), MSG_DONTWAIT);
        bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return bytes;
    }

    TempDir dir;
    std::string path;
    int listener = -1;
    plat::Seams saved;
};

TEST_F(EditorLink, EachMessageIsOneDatagramOfHeaderAndData) {
    Listen();
    const std::int32_t one = 1, zero = 0;
    EXPECT_TRUE(plat::SendEditorCopyData(4242, 1, &one, 4));
    EXPECT_TRUE(plat::SendEditorCopyData(0, 0, &zero, 4));
    EXPECT_EQ(Receive(),
              (std::vector<std::uint8_t>{0x92, 0x10, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(Receive(),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(Receive().empty());
}

TEST_F(EditorLink, WithoutAListenerOrASocketNothingWaits) {
    const std::int32_t one = 1;
    const std::uint64_t start = plat::RealMilliseconds();
    EXPECT_FALSE(plat::SendEditorCopyData(1, 1, &one, 4));  // no one bound the path
    plat::Seams none = saved;
    none.editorSocket.clear();
    plat::SetSeams(none);
    EXPECT_FALSE(plat::SendEditorCopyData(1, 1, &one, 4));
    none.editorSocket = std::string(200, 'x');  // too long for a socket address
    plat::SetSeams(none);
    EXPECT_FALSE(plat::SendEditorCopyData(1, 1, &one, 4));
    EXPECT_LT(plat::RealMilliseconds() - start, 1000u);
}

TEST_F(EditorLink, AFullListenerDoesNotBlockTheSender) {
    Listen();
    int small = 1;
    setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    const std::vector<std::uint8_t> big(4000, 7);
    const std::uint64_t start = plat::RealMilliseconds();
    int refused = 0;
    for (int i = 0; i < 2000 && refused == 0; ++i)
        if (!plat::SendEditorCopyData(1, 9, big.data(), static_cast<std::uint32_t>(big.size())))
            ++refused;
    EXPECT_EQ(refused, 1);
    EXPECT_LT(plat::RealMilliseconds() - start, 10000u);
}

}  // namespace
