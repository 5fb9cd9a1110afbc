#pragma once

// Debian's Mosquitto broker on 127.0.0.1 for the tests: a plain listener and a TLS listener
// on free ports, a password file, and a CA made with openssl that signs the broker's
// certificate (plus an unrelated CA for the wrong-CA case). Also a subscriber that records
// every message it sees.

#include <arpa/inet.h>
#include <fcntl.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "support/FtpTestServer.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

namespace brennic::test {

inline int FreeTcpPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), size) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0) {
        port = ntohs(a.sin_port);
    }
    close(fd);
    return port;
}

inline bool AcceptsTcp(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

class MosquittoBroker {
  public:
    static constexpr const char* kUser = "brennic";
    static constexpr const char* kPassword = "secret";

    MosquittoBroker() : port_(FreeTcpPort()), tlsPort_(FreeTcpPort()) {
        const auto& d = folder_.Path();
        const std::string q = " >/dev/null 2>&1";
        const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
        WriteFile(d / "san.ext", "subjectAltName=DNS:localhost,IP:127.0.0.1\n");
        ready_ = Run("cd " + d.string() + " && openssl req -x509" + ec +
                     " -keyout ca.key -out ca.crt -days 2 -subj /CN=BrennicTestCA" + q) &&
                 Run("cd " + d.string() + " && openssl req -x509" + ec +
                     " -keyout wrong-ca.key -out wrong-ca.crt -days 2 -subj /CN=OtherCA" + q) &&
                 Run("cd " + d.string() + " && openssl req" + ec +
                     " -keyout server.key -out server.csr -subj /CN=localhost" + q) &&
                 Run("cd " + d.string() +
                     " && openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key"
                     " -CAcreateserial -out server.crt -days 2 -extfile san.ext" +
                     q) &&
                 Run("mosquitto_passwd -b -c " + (d / "passwd").string() + " " + kUser + " " +
                     kPassword + q);
        const passwd* me = getpwuid(getuid());
        WriteFile(d / "mosquitto.conf",
                  "user " + std::string(me != nullptr ? me->pw_name : "root") +
                      "\npersistence false\nallow_anonymous false\npassword_file " +
                      (d / "passwd").string() + "\nlog_dest file " + (d / "broker.log").string() +
                      "\nlistener " + std::to_string(port_) + " 127.0.0.1\nlistener " +
                      std::to_string(tlsPort_) + " 127.0.0.1\ncafile " + caFile() + "\ncertfile " +
                      (d / "server.crt").string() + "\nkeyfile " + (d / "server.key").string() +
                      "\n");
    }
    ~MosquittoBroker() { Stop(); }
    MosquittoBroker(const MosquittoBroker&) = delete;
    MosquittoBroker& operator=(const MosquittoBroker&) = delete;

    // Starts the broker (again, on the same ports); false when it did not come up.
    bool Start() {
        if (!ready_) {
            return false;
        }
        const std::string conf = (folder_.Path() / "mosquitto.conf").string();
        pid_ = fork();
        if (pid_ == 0) {
            // A test that dies (a sanitizer's abort) takes its server with it, so nothing
            // holds the test runner's output open.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            // Quiet: as root the broker warns about it on every start.
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDERR_FILENO);
            execl("/usr/sbin/mosquitto", "mosquitto", "-c", conf.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        return pid_ > 0 &&
               testing::WaitFor([&] { return AcceptsTcp(port_) && AcceptsTcp(tlsPort_); });
    }

    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

    int port() const { return port_; }
    int tlsPort() const { return tlsPort_; }
    std::string caFile() const { return (folder_.Path() / "ca.crt").string(); }
    std::string wrongCaFile() const { return (folder_.Path() / "wrong-ca.crt").string(); }
    const std::filesystem::path& folder() const { return folder_.Path(); }

  private:
    static bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

    testing::TempFolder folder_;
    int port_;
    int tlsPort_;
    bool ready_ = false;
    pid_t pid_ = -1;
};

struct ReceivedMessage {
    std::string topic;
    std::string payload;
    bool retained;
};

// A subscriber to `filter` on the broker's plain listener, on libmosquitto's own thread.
class MqttRecorder {
  public:
    MqttRecorder(int port, const std::string& filter) : filter_(filter) {
        mosquitto_lib_init();
        mosq_ = mosquitto_new(nullptr, true, this);
        mosquitto_username_pw_set(mosq_, MosquittoBroker::kUser, MosquittoBroker::kPassword);
        mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void* self, int rc) {
            if (rc == 0) {
                mosquitto_subscribe(m, nullptr, static_cast<MqttRecorder*>(self)->filter_.c_str(),
                                    1);
            }
        });
        mosquitto_message_callback_set(
            mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto* r = static_cast<MqttRecorder*>(self);
                std::lock_guard<std::mutex> guard(r->mutex_);
                r->messages_.push_back({m->topic,
                                        std::string(static_cast<const char*>(m->payload),
                                                    static_cast<std::size_t>(m->payloadlen)),
                                        m->retain});
            });
        mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
        mosquitto_connect_async(mosq_, "127.0.0.1", port, 30);
        mosquitto_loop_start(mosq_);
    }
    ~MqttRecorder() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
        mosquitto_destroy(mosq_);
    }
    MqttRecorder(const MqttRecorder&) = delete;
    MqttRecorder& operator=(const MqttRecorder&) = delete;

    std::vector<ReceivedMessage> Messages() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return messages_;
    }

    // The payloads received on `topic`, oldest first.
    std::vector<std::string> On(const std::string& topic) const {
        std::vector<std::string> out;
        for (const auto& m : Messages()) {
            if (m.topic == topic) {
                out.push_back(m.payload);
            }
        }
        return out;
    }

    // Waits until the latest payload on `topic` is `payload`.
    bool WaitForLatest(const std::string& topic, const std::string& payload) const {
        return testing::WaitFor([&] {
            const auto all = On(topic);
            return !all.empty() && all.back() == payload;
        });
    }

  private:
    std::string filter_;
    mosquitto* mosq_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<ReceivedMessage> messages_;
};

}  // namespace brennic::test
