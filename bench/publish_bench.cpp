// One web publication by FTP: the two pages and a ScreenShot.jpg of a typical size to the
// test server (pyftpdlib) on 127.0.0.1, with the targets already there, as every publication
// after the first finds them. Real time per publication.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "support/FtpTestServer.h"
#include "support/TempFolder.h"
#include "web/WebPublisher.h"

namespace {

using namespace brennic;

void BM_FtpPublication(benchmark::State& st) {
    brennic::testing::TempFolder scratch;
    const std::filesystem::path home = scratch.Path() / "site";
    std::filesystem::create_directories(home / "www");
    std::filesystem::create_directories(scratch.Path() / "tmp");
    test::FtpTestServer server(home, scratch.Path() / "ftp.log", {});
    if (!server.Start()) {
        st.SkipWithError("the FTP test server did not start");
        return;
    }
    AppState state;
    state.showMessage = [](const std::string&, const std::string&) {};
    state.config.webUploadFtp = 1;
    state.config.webIncludeScreenShot = 1;
    state.config.ftpServer = server.address();
    state.config.ftpUserId = "brennic";
    state.config.ftpPassword = "secret";
    state.config.ftpServerPath = "www";
    WebPublisherOptions options;
    options.tempFolder = (scratch.Path() / "tmp").string();
    WebPublisher publisher(state, options);
    const std::string jpeg(60 * 1024, '\xA5');  // about what the window's picture weighs
    publisher.SetScreenShot([&jpeg](const std::string& path) {
        test::WriteFile(path, jpeg);
        return true;
    });
    if (publisher.Publish() != 0) {  // the targets are there from now on
        st.SkipWithError("the first publication failed");
        return;
    }
    for (auto _ : st) {
        if (publisher.Publish() != 0) {
            st.SkipWithError(publisher.Counters().lastErrorText.c_str());
            return;
        }
    }
}
BENCHMARK(BM_FtpPublication)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
