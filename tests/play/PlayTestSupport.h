// Programs the pedal tests start (jackd, jack_lsp, brindle itself), with their output in files; a
// private JACK server with the dummy driver under a name of its own; and a JACK client of the
// tests' own that sends a signal through the pedal and records what comes back.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <jack/jack.h>

extern char** environ;

namespace playtest {

inline std::string ReadText(const std::string& path)
{
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A started program; its standard output and errors go to files beside each other.
struct Child
{
  pid_t pid = -1;
  std::string out, err;
};

inline Child Start(const std::vector<std::string>& args, const std::string& stem)
{
  Child child;
  child.out = stem + ".out";
  child.err = stem + ".err";
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, child.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, child.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (posix_spawnp(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) child.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

// The exit status (128 + signal for a signal's death), or -1 when it did not end within `seconds`
// (it is then killed).
inline int Wait(pid_t pid, double seconds)
{
  if (pid <= 0) return -1;
  for (int waited = 0; waited < seconds * 200; ++waited) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    usleep(5000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// Runs a program to its end; its standard output.
inline std::string Output(const std::vector<std::string>& args, const std::string& stem, int* status = nullptr)
{
  const Child child = Start(args, stem);
  const int s = Wait(child.pid, 20);
  if (status) *status = s;
  return ReadText(child.out);
}

inline double Seconds()
{
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// jackd -d dummy under a fresh name, which this process and the programs it starts then use.
class DummyServer
{
public:
  DummyServer(const std::string& folder, int rate, int period)
  {
    mName = "brindle-play-" + std::to_string(getpid()) + "-" + std::to_string(sCount++);
    setenv("JACK_DEFAULT_SERVER", mName.c_str(), 1);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    // A long client timeout: on a machine busy with other tests, the default half second lets a
    // client's opening request time out ("communication error with the server").
    mServer = Start(
        {"jackd", "-n", mName, "-t", "10000", "-d", "dummy", "-r", std::to_string(rate), "-p", std::to_string(period)},
        folder + "/jackd");
    mReady = mServer.pid > 0 && Wait(Start({"jack_wait", "-w", "-t", "10"}, folder + "/wait").pid, 15) == 0;
  }
  ~DummyServer()
  {
    Kill(SIGTERM);
    // Semaphores a server stopped under its clients leaves in /dev/shm; only this server's.
    if (DIR* dir = opendir("/dev/shm")) {
      std::vector<std::string> stale;
      while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.rfind("jack_sem.", 0) == 0 && name.find("_" + mName + "_") != std::string::npos)
          stale.push_back("/dev/shm/" + name);
      }
      closedir(dir);
      for (const std::string& path : stale) unlink(path.c_str());
    }
  }
  DummyServer(const DummyServer&) = delete;
  DummyServer& operator=(const DummyServer&) = delete;

  bool Ready() const { return mReady; }
  // Descriptors the server holds open (its clients' sockets, shared memory and FIFOs among them).
  int OpenDescriptors() const
  {
    int count = 0;
    const std::string fds = "/proc/" + std::to_string(mServer.pid) + "/fd";
    if (DIR* dir = opendir(fds.c_str())) {
      while (const dirent* e = readdir(dir)) count += e->d_name[0] != '.';
      closedir(dir);
    }
    return count;
  }
  void Kill(int signal)
  {
    if (mServer.pid <= 0) return;
    kill(mServer.pid, signal);
    Wait(mServer.pid, 5);
    mServer.pid = -1;
  }

private:
  static inline int sCount = 0;
  std::string mName;
  Child mServer;
  bool mReady = false;
};

inline std::string Folder()
{
  char folder[] = "/tmp/brindle-play-XXXXXX";
  return mkdtemp(folder) ? folder : "";
}

inline void RemoveFolder(const std::string& folder)
{
  if (!folder.empty()) std::system(("rm -rf " + folder).c_str());
}

inline bool RequireJack()
{
  for (const char* program : {"jackd", "jack_wait", "jack_lsp"})
    if (std::system((std::string("command -v ") + program + " >/dev/null").c_str()) != 0) {
      ADD_FAILURE() << program << " is not installed (scripts/packages.txt lists jackd2)";
      return false;
    }
  return true;
}

// Waits until jack_lsp lists every one of the ports; the last listing.
inline std::string WaitForPorts(const std::string& folder, const std::vector<std::string>& ports, double seconds = 10)
{
  std::string listing;
  for (const double end = Seconds() + seconds; Seconds() < end; usleep(50000)) {
    listing = Output({"jack_lsp"}, folder + "/lsp");
    bool all = true;
    for (const std::string& p : ports) all = all && listing.find(p + "\n") != std::string::npos;
    if (all) break;
  }
  return listing;
}

// Whether `jack_lsp -c` lists port b under port a.
inline bool Connected(const std::string& listing, const std::string& a, const std::string& b)
{
  std::istringstream lines(listing);
  bool under = false;
  for (std::string line; std::getline(lines, line);) {
    const bool indented = !line.empty() && (line[0] == ' ' || line[0] == '\t');
    if (!indented)
      under = line == a;
    else if (under && line.substr(line.find_first_not_of(" \t")) == b)
      return true;
  }
  return false;
}

// A client of our own: sends a stereo signal into the pedal and records what comes out, from the
// first period after it is told to go.
class Loopback
{
public:
  Loopback(const std::vector<std::vector<float>>& signal, int recordFrames)
      : mSignal(signal), mRecord(2, std::vector<float>(static_cast<size_t>(recordFrames)))
  {
    mClient = jack_client_open("probe", JackNoStartServer, nullptr);
    if (!mClient) return;
    for (int c = 0; c < 2; ++c) {
      mSend[c] = jack_port_register(mClient, ("send_" + std::to_string(c + 1)).c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                    JackPortIsOutput, 0);
      mReceive[c] = jack_port_register(mClient, ("receive_" + std::to_string(c + 1)).c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                       JackPortIsInput, 0);
    }
    jack_set_process_callback(mClient, &Loopback::Process, this);
    jack_activate(mClient);
  }
  ~Loopback()
  {
    if (mClient) jack_client_close(mClient);
  }
  bool Open() const { return mClient != nullptr; }
  bool Connect(const std::string& pedal)
  {
    bool ok = true;
    for (int c = 0; c < 2; ++c) {
      const std::string n = std::to_string(c + 1);
      ok = ok && jack_connect(mClient, jack_port_name(mSend[c]), (pedal + ":in_" + n).c_str()) == 0 &&
           jack_connect(mClient, (pedal + ":out_" + n).c_str(), jack_port_name(mReceive[c])) == 0;
    }
    return ok;
  }
  // Sends the signal and records; false when it did not finish in time.
  bool Run(double seconds)
  {
    mGo.store(true);
    for (const double end = Seconds() + seconds; Seconds() < end; usleep(10000))
      if (mDone.load()) return true;
    return false;
  }
  const std::vector<std::vector<float>>& Recorded() const { return mRecord; }

private:
  static int Process(jack_nframes_t frames, void* arg)
  {
    Loopback* self = static_cast<Loopback*>(arg);
    const bool running = self->mGo.load() && !self->mDone.load();
    for (int c = 0; c < 2; ++c) {
      float* send = static_cast<float*>(jack_port_get_buffer(self->mSend[c], frames));
      const float* receive = static_cast<const float*>(jack_port_get_buffer(self->mReceive[c], frames));
      const std::vector<float>& signal = self->mSignal[c];
      std::vector<float>& record = self->mRecord[c];
      for (jack_nframes_t i = 0; i < frames; ++i) {
        const size_t at = self->mAt + i;
        send[i] = running && at < signal.size() ? signal[at] : 0.0f;
        if (running && at < record.size()) record[at] = receive[i];
      }
    }
    if (running) {
      self->mAt += frames;
      if (self->mAt >= self->mRecord[0].size()) self->mDone.store(true);
    }
    return 0;
  }

  jack_client_t* mClient = nullptr;
  jack_port_t* mSend[2] = {};
  jack_port_t* mReceive[2] = {};
  std::vector<std::vector<float>> mSignal, mRecord;
  size_t mAt = 0;
  std::atomic<bool> mGo{false}, mDone{false};
};

} // namespace playtest
