// title-display-sim: plays the title display on a pseudo-terminal and shows what was uploaded.
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include <pthread.h>
#include <signal.h>

#include "display/image_decoder.h"
#include "title_display_sim/title_display_sim.h"

namespace {

using marvek::sim::SimOptions;
using marvek::sim::TitleDisplaySim;
using marvek::sim::Upload;

constexpr const char* kProgram = "title-display-sim";

constexpr const char* kHelp = R"(Usage: title-display-sim [options]

Plays the title display on a pseudo-terminal, so that uploads can be tried without the device.
It prints a port path: type it into the port box of the window and upload. When an upload ends
(a second without frames) it shows the titles it received and waits for the next one.

Options:
  --reply TEXT        answer each frame with TEXT instead of "R"
  --silent            never answer
  --answer N          answer the first N frames, then fall silent
  --split             send each answer one byte at a time, a few milliseconds apart
  --hangup-after N    close the port after N frames, as if the display were unplugged
  --delay MS          wait MS milliseconds before each answer
  --line-speed BAUD   carry the bytes both ways no faster than a line of BAUD bit/s would,
                      10 bits a byte
  --adapter-latency MS
                      hold each answer MS milliseconds, as a USB serial adapter's latency
                      timer does (16 on common ones)
  --help              show this help and end
)";

struct Arguments {
  SimOptions options;
  bool help = false;
  std::string error;  // set when the command line cannot be used
};

std::optional<long> Number(std::string_view text, long smallest, long largest) {
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < smallest || value > largest) return std::nullopt;
  return value;
}

Arguments Parse(int argc, char** argv) {
  Arguments args;
  for (int i = 1; i < argc; ++i) {
    std::string_view name = argv[i];
    std::optional<std::string_view> value;
    if (const auto equals = name.find('='); name.starts_with("--") && equals != name.npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const bool takesValue = name == "--reply" || name == "--answer" || name == "--hangup-after" ||
                            name == "--delay" || name == "--line-speed" ||
                            name == "--adapter-latency";
    if (takesValue && !value) {
      if (i + 1 == argc) {
        args.error = std::string(name) + " needs a value";
        return args;
      }
      value = argv[++i];
    } else if (!takesValue && value) {
      args.error = std::string(name) + " takes no value";
      return args;
    }

    if (name == "--help" || name == "-h") {
      args.help = true;
    } else if (name == "--silent") {
      args.options.silent = true;
    } else if (name == "--split") {
      args.options.split = true;
    } else if (name == "--reply") {
      args.options.reply = std::string(*value);
    } else if (name == "--answer") {
      const auto n = Number(*value, 0, 1'000'000'000);
      if (!n) args.error = "--answer needs a number of frames, 0 or more";
      args.options.answer = n.value_or(-1);
    } else if (name == "--hangup-after") {
      const auto n = Number(*value, 1, 1'000'000'000);
      if (!n) args.error = "--hangup-after needs a number of frames, 1 or more";
      args.options.hangupAfter = n.value_or(-1);
    } else if (name == "--delay") {
      const auto n = Number(*value, 0, 3'600'000);
      if (!n) args.error = "--delay needs milliseconds, 0 to 3600000";
      args.options.delay = std::chrono::milliseconds(n.value_or(0));
    } else if (name == "--line-speed") {
      const auto n = Number(*value, 1, 100'000'000);
      if (!n) args.error = "--line-speed needs bits per second, 1 to 100000000";
      args.options.lineSpeed = n.value_or(0);
    } else if (name == "--adapter-latency") {
      const auto n = Number(*value, 0, 60'000);
      if (!n) args.error = "--adapter-latency needs milliseconds, 0 to 60000";
      args.options.adapterLatency = std::chrono::milliseconds(n.value_or(0));
    } else {
      args.error = "unknown option " + std::string(name);
    }
    if (!args.error.empty()) return args;
  }
  return args;
}

// Text with every byte outside printable ASCII as \xNN, for showing the reply.
std::string Printable(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      out.push_back(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out.append(escaped);
    }
  }
  return out;
}

std::string Frames(long n) {
  return std::to_string(n) + (n == 1 ? " frame" : " frames");
}

std::string Behaviour(const SimOptions& options) {
  std::string text;
  const std::string reply = "\"" + Printable(options.reply) + "\"";
  if (options.silent || options.answer == 0) {
    text = "The display never answers.";
  } else if (options.answer > 0) {
    const std::string first = options.answer == 1 ? "frame" : Frames(options.answer);
    text = "The display answers the first " + first + " with " + reply + ", then falls silent.";
  } else {
    text = "The display answers every frame with " + reply + ".";
  }
  if (!options.silent && options.answer != 0) {
    if (options.delay.count() > 0) {
      text += "\nIt waits " + std::to_string(options.delay.count()) + " ms before each answer.";
    }
    if (options.split) text += "\nIt sends each answer one byte at a time.";
    if (options.adapterLatency.count() > 0) {
      text += "\nAn adapter holds each answer " + std::to_string(options.adapterLatency.count()) +
              " ms.";
    }
  }
  if (options.lineSpeed > 0) {
    text += "\nThe line carries " + std::to_string(options.lineSpeed) + " bit/s, 10 bits a byte.";
  }
  if (options.hangupAfter > 0) {
    text += "\nIt hangs up after " + Frames(options.hangupAfter) + ".";
  }
  return text;
}

void Report(const Upload& upload, long lineSpeed) {
  std::cout << "\nUpload received: " << Frames(std::ssize(upload.frames)) << ", "
            << upload.image.size() << " bytes of image\n";
  if (lineSpeed > 0) std::cout << "The port was set to " << lineSpeed << " bit/s.\n";
  for (const std::string& problem : upload.problems)
    std::cout << "frame problem: " << problem << "\n";
  std::cout << marvek::DescribeImage(marvek::DecodeTitleImage(upload.image)) << std::flush;
}

}  // namespace

int main(int argc, char** argv) {
  const Arguments args = Parse(argc, argv);
  if (!args.error.empty()) {
    std::cerr << kProgram << ": " << args.error << "\nTry " << kProgram << " --help\n";
    return 2;
  }
  if (args.help) {
    std::cout << kHelp;
    return 0;
  }

  // Ctrl-C and SIGTERM are taken by a thread of their own; every other thread, the display's
  // included, inherits the blocked mask.
  sigset_t endSignals;
  sigemptyset(&endSignals);
  sigaddset(&endSignals, SIGINT);
  sigaddset(&endSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

  TitleDisplaySim display(args.options);
  if (const auto error = display.Start()) {
    std::cerr << kProgram << ": " << *error << "\n";
    return 1;
  }
  std::atomic<bool> interrupted = false;
  std::thread signalWaiter([&] {
    int signal = 0;
    sigwait(&endSignals, &signal);
    interrupted = true;
    display.Stop();
  });

  const std::string port = display.PortPath();
  std::cout << "The title display simulator is ready on " << port << "\n"
            << "Type " << port << " into the port box of the window, then upload.\n"
            << Behaviour(args.options) << "\nPress Ctrl-C to stop.\n"
            << std::flush;

  std::size_t seen = 0;  // frames of the upload in progress
  for (;;) {
    const bool more = display.WaitForFrames(seen + 1, std::chrono::seconds(1));
    if (interrupted) break;
    if (more) {
      if (seen == 0) std::cout << "\nReceiving an upload..." << std::endl;
      seen = display.FrameCount();
      continue;
    }
    if (display.HungUp()) {
      Report(display.TakeUpload(), display.LineSpeedSetting());
      std::cout << "\nThe display hung up, as if it were unplugged; the port is gone." << std::endl;
      break;
    }
    if (seen > 0) {
      Report(display.TakeUpload(), display.LineSpeedSetting());
      std::cout << "\nWaiting for the next upload on " << port << "." << std::endl;
      seen = 0;
    }
  }

  if (interrupted) {
    if (display.FrameCount() > 0) Report(display.TakeUpload(), display.LineSpeedSetting());
    std::cout << "\nStopped." << std::endl;
  } else {
    pthread_kill(signalWaiter.native_handle(), SIGTERM);  // ends its sigwait()
  }
  signalWaiter.join();
  return 0;
}
