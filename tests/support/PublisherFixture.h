#pragma once

// Shared set-up of the publisher tests: a scratch folder with the FTP server's home, a local
// web folder and a temporary folder, an AppState with a few values, and a fake screen shot.

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "support/FtpTestServer.h"
#include "web/WebPublisher.h"

namespace brennic::test {

// JPEG-like bytes with the line ends an ASCII transfer would change.
inline const std::string kFakeJpeg("\xFF\xD8\xFF\xE0\r\n\x00\x10JFIF\n\r\r\n\xFF\xD9", 19);

class PublisherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home = scratch.Path() / "site";
        local = scratch.Path() / "local";
        temp = scratch.Path() / "tmp";
        for (const auto& folder : {home / "www", local, temp}) {
            std::filesystem::create_directories(folder);
        }
        options.firstDelay = std::chrono::milliseconds(0);
        options.minute = std::chrono::milliseconds(20);
        options.retryDelay = std::chrono::milliseconds(1);
        options.tempFolder = temp.string();
        options.ftp.connectTimeoutSeconds = 10;
        options.ftp.responseTimeoutSeconds = 10;

        state.config.siteId = "Test Site";
        state.processor.sampleCount = 5;
        state.processor.current[kSlotCollector] = 150.5f;
        state.processor.stats.maximum[kSlotCollector] = 160.0f;
        state.showMessage = [this](const std::string& text, const std::string& caption) {
            std::lock_guard<std::mutex> lock(boxMutex);
            boxes.push_back(caption + ": " + text);
        };
    }

    // Starts the FTP server on the scratch home.
    FtpTestServer& StartServer(FtpServerSetup setup = {}) {
        server = std::make_unique<FtpTestServer>(home, scratch.Path() / "ftp.log", setup);
        EXPECT_TRUE(server->Start());
        return *server;
    }

    void UseFtp(const std::string& serverPath = "www") {
        state.config.webUploadFtp = 1;
        state.config.ftpServer = server->address();
        state.config.ftpUserId = "brennic";
        state.config.ftpPassword = "secret";
        state.config.ftpServerPath = serverPath;
    }

    void UseDisk() {
        state.config.webWriteToDisk = 1;
        state.config.webFolder = local.string();
    }

    void UseScreenShot(WebPublisher& publisher) {
        state.config.webIncludeScreenShot = 1;
        publisher.SetScreenShot([this](const std::string& path) {
            ++screenShots;
            WriteFile(path, kFakeJpeg);
            return true;
        });
    }

    std::vector<std::string> Boxes() {
        std::lock_guard<std::mutex> lock(boxMutex);
        return boxes;
    }

    // The "ftpsample" value of a statistics page, -1 when the line is missing.
    static int SampleNumber(const std::string& page) {
        const std::string key = "\"ftpsample\" \"FTP Sample Number\" \"";
        const auto at = page.find(key);
        return at == std::string::npos ? -1 : std::atoi(page.c_str() + at + key.size());
    }

    testing::TempFolder scratch;
    std::filesystem::path home;
    std::filesystem::path local;
    std::filesystem::path temp;
    std::unique_ptr<FtpTestServer> server;
    WebPublisherOptions options;
    AppState state;
    std::atomic<int> screenShots{0};
    std::mutex boxMutex;
    std::vector<std::string> boxes;
};

}  // namespace brennic::test
