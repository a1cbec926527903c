// orven batch: a prompt set, one tab-separated job per line, spoken on
// several channels at once. A bad line or a failed job is reported with its
// line number and the others go on; every file appears under its final name
// only once it is complete.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "cli.h"
#include "os.h"
#include "verbs.h"

namespace orven::cli {

namespace {

enum OptionId { kHelp, kChannels, kVoices };

constexpr OptionDef kBatchOptions[] = {
    {'h', "help", false, kHelp},
    {'j', "channels", true, kChannels},
    {0, "voices", true, kVoices},
};

constexpr int32_t kMaxChannels = 64;  // the voices' default channel limit

constexpr const char* kBatchHelp =
    "Usage: orven batch [-j N] [--voices DIR] JOBS\n"
    "Speak every prompt of the file JOBS ('-': standard input) into its own audio file.\n"
    "\n"
    "  -j, --channels N   channels to speak on at once, 1..64 (default: the number of cores)\n"
    "      --voices DIR   voice database (default: $ORVEN_VOICES, then the installed one)\n"
    "  -h, --help         show this help\n"
    "\n"
    "One prompt per line, fields separated by tabs:\n"
    "  OUTPUT  LANG[:SPEAKER]  TEXT  [key=value ...]\n"
    "with keys type (wav, au, raw, vox), encoding (pcm16, pcm8, mulaw, alaw, vox, g721),\n"
    "rate (Hz), volume (0..200), speed (50..200) and pitch (80..120). Blank lines and lines\n"
    "starting with # are skipped. Relative OUTPUT names are taken from the current directory.\n";

struct Job {
  int line = 0;
  FileRequest request;
  std::string error;  // a bad line, an unreachable format, a voice that cannot be had
};

const SettingRange* FindRange(std::string_view key) {
  for (const SettingRange* range : {&kVolumeRange, &kSpeedRange, &kPitchRange})
    if (key == range->name) return range;
  return nullptr;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == line.npos ? line.npos : tab - start));
    if (tab == line.npos) return fields;
    start = tab + 1;
  }
}

// Fills the job from one line; the format's rate stays 0 ("the voice's own")
// unless the line names one. Returns why the line is bad, or nothing.
std::string ParseJob(std::string_view line, Job* job) {
  const std::vector<std::string_view> fields = SplitTabs(line);
  if (fields.size() < 3)
    return "want OUTPUT<TAB>LANG[:SPEAKER]<TAB>TEXT[<TAB>key=value...], found " + std::to_string(fields.size()) +
           " field" + (fields.size() == 1 ? "" : "s");
  FileRequest& request = job->request;
  request.path = fields[0];
  if (request.path.empty()) return "the output file name is empty";
  const std::optional<Voice> voice = ParseVoice(fields[1]);
  if (!voice) return "unknown voice '" + std::string(fields[1]) + "': use ko, en, zh or ja, with an optional :0..9";
  request.voice = *voice;
  request.text = CleanText(std::string(fields[2]));
  if (request.text.empty()) return "no text to speak";

  std::optional<TypeChoice> type = FileTypeFromExtension(request.path);
  std::optional<int32_t> encoding;
  VoiceSettings settings;
  std::map<std::string_view, bool> seen;
  for (std::size_t i = 3; i < fields.size(); ++i) {
    if (fields[i].empty()) continue;
    const std::size_t equals = fields[i].find('=');
    const std::string_view key = fields[i].substr(0, equals);
    const std::string value(equals == std::string_view::npos ? std::string_view() : fields[i].substr(equals + 1));
    if (equals == std::string_view::npos) return "setting '" + std::string(fields[i]) + "' is not key=value";
    if (seen[key]) return "setting '" + std::string(key) + "' is given twice";
    seen[key] = true;
    std::string error;
    int32_t number = 0;
    if (key == "type") {
      type = ParseFileType(value);
      if (!type) return "unknown type '" + value + "': use wav, au, raw or vox";
    } else if (key == "encoding") {
      encoding = ParseEncoding(value);
      if (!encoding) return "unknown encoding '" + value + "': use pcm16, pcm8, mulaw, alaw, vox or g721";
    } else if (key == "rate") {
      const std::optional<int32_t> rate = ParseInteger(value);
      if (!rate || *rate <= 0) return "the rate must be a positive number of Hz, not '" + value + "'";
      request.format.rate = *rate;
    } else if (const SettingRange* range = FindRange(key)) {
      if (!ParseSetting(*range, value, &number, &error)) return error;
      (key == "volume" ? settings.volume : key == "speed" ? settings.speed : settings.pitch) = number;
    } else {
      return "unknown setting '" + std::string(key) + "': use type, encoding, rate, volume, speed or pitch";
    }
  }
  if (!type) return "cannot tell the type of '" + request.path + "' from its name: add type=wav, au, raw or vox";
  request.format.fileType = type->fileType;
  request.format.encoding = encoding.value_or(type->defaultEncoding);
  request.attributes = AttributeTags(settings);
  return {};
}

bool ReadJobs(const std::string& jobsFile, std::vector<Job>* jobs, std::string* error) {
  std::string contents;
  if (!ReadAll(jobsFile, &contents, error)) return false;
  std::string_view rest = contents;
  for (int number = 1; !rest.empty(); ++number) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == rest.npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == line.npos || line[first] == '#') continue;
    Job job;
    job.line = number;
    job.error = ParseJob(line, &job);
    jobs->push_back(std::move(job));
  }
  return true;
}

// Loads each voice the jobs name once, settles each job's rate and refuses
// the jobs whose voice, format or output file cannot be had.
void PrepareJobs(Library& library, const std::string& voices, std::vector<Job>* jobs) {
  std::map<std::pair<int32_t, int32_t>, std::pair<int32_t, std::string>> loaded;  // voice -> rate, error
  std::map<std::filesystem::path, int> outputs;
  for (Job& job : *jobs) {
    if (!job.error.empty()) continue;
    const Voice voice = job.request.voice;
    const auto key = std::make_pair(voice.language, voice.speaker);
    auto found = loaded.find(key);
    if (found == loaded.end()) {
      std::pair<int32_t, std::string> entry{0, {}};
      library.LoadVoice(voice, voices, &entry.first, &entry.second);
      found = loaded.emplace(key, entry).first;
    }
    const auto& [voiceRate, voiceError] = found->second;
    OutputFormat& format = job.request.format;
    if (format.rate == 0) format.rate = voiceRate;
    job.error = voiceError.empty() ? UnreachableReason(format, voiceRate) : voiceError;
    if (!job.error.empty()) continue;
    std::error_code ignored;
    const std::filesystem::path output = std::filesystem::weakly_canonical(job.request.path, ignored);
    const auto [previous, fresh] = outputs.emplace(output, job.line);
    if (!fresh) job.error = "the same output file as line " + std::to_string(previous->second);
  }
}

std::string Clock(double seconds) {
  const long whole = static_cast<long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

// Everything the workers and the progress display share, under one mutex.
class Progress {
 public:
  Progress(std::size_t total, bool terminal)
      : total_(total), terminal_(terminal), start_(std::chrono::steady_clock::now()) {}

  double Elapsed() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

  void Finished(const std::string& error, double audioSeconds) {
    std::lock_guard lock(mutex_);
    ++done_;
    audioSeconds_ += audioSeconds;
    if (!error.empty()) {
      ClearLine();
      std::fprintf(stderr, "orven batch: %s\n", error.c_str());
    }
    changed_.notify_all();
  }

  // Redraws the bar now and then until every job has finished.
  void ShowUntilDone() {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (terminal_) Draw();  // at least once, however fast the jobs are
      if (done_ >= total_) break;
      changed_.wait_for(lock, std::chrono::milliseconds(100));
    }
    ClearLine();
  }

  void Cancel() {
    std::lock_guard lock(mutex_);
    total_ = done_;
    changed_.notify_all();
  }

  std::size_t Done() {
    std::lock_guard lock(mutex_);
    return done_;
  }
  double AudioSeconds() {
    std::lock_guard lock(mutex_);
    return audioSeconds_;
  }

 private:
  void Draw() {
    constexpr std::size_t kWidth = 24;
    const double elapsed = Elapsed();
    const std::size_t done = std::min(done_, total_);  // jobs under way still finish after a Cancel
    const std::size_t filled = total_ == 0 ? kWidth : done * kWidth / total_;
    const double rate = elapsed > 0 ? static_cast<double>(done) / elapsed : 0.0;
    const std::string left = rate > 0 ? Clock(static_cast<double>(total_ - done) / rate) : "-:--";
    char line[160];
    std::snprintf(line, sizeof line, "\r[%s%s] %zu/%zu  %.1f prompts/s  %s left", std::string(filled, '#').c_str(),
                  std::string(kWidth - filled, '.').c_str(), done, total_, rate, left.c_str());
    const std::size_t length = std::strlen(line);
    std::fprintf(stderr, "%s%*s", line, static_cast<int>(shown_ > length ? shown_ - length : 0), "");
    std::fflush(stderr);
    shown_ = length;
  }

  void ClearLine() {
    if (shown_ == 0) return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(shown_), "");
    shown_ = 0;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t total_;
  std::size_t done_ = 0;
  double audioSeconds_ = 0;
  std::size_t shown_ = 0;  // characters of the bar on screen
  const bool terminal_;
  const std::chrono::steady_clock::time_point start_;
};

}  // namespace

int RunBatch(int argc, char** argv) {
  ParsedCommand command;
  std::string error;
  if (!ParseCommand(argc, argv, 2, kBatchOptions, &command, &error)) return UsageError("batch", error);
  int32_t channels = static_cast<int32_t>(std::clamp<unsigned>(std::thread::hardware_concurrency(), 1u, kMaxChannels));
  std::string voicesOption;
  for (const ParsedOption& option : command.options) {
    if (option.id == kHelp) {
      std::fputs(kBatchHelp, stdout);
      return kExitOk;
    }
    if (option.id == kVoices) voicesOption = option.value;
    if (option.id == kChannels &&
        !ParseSetting({"the number of channels", 1, kMaxChannels}, option.value, &channels, &error))
      return UsageError("batch", error);
  }
  if (command.operands.size() != 1) return UsageError("batch", "give one JOBS file");
  const std::string& jobsFile = command.operands[0];
  const std::string jobsName = jobsFile == "-" ? std::string("<stdin>") : jobsFile;

  std::vector<Job> jobs;
  std::string voices;
  if (!ReadJobs(jobsFile, &jobs, &error) || !FindVoicesDirectory(voicesOption, &voices, &error)) {
    Report("batch", error);
    return kExitFailure;
  }
  Library library;
  PrepareJobs(library, voices, &jobs);
  std::vector<Job*> runnable;
  std::size_t failed = 0;
  for (Job& job : jobs) {
    if (job.error.empty()) {
      runnable.push_back(&job);
      continue;
    }
    ++failed;
    const std::string subject = job.request.path.empty() ? std::string() : job.request.path + ": ";
    Report("batch", jobsName + ":" + std::to_string(job.line) + ": " + subject + job.error);
  }

  Progress progress(runnable.size(), IsTerminal(stderr));
  std::atomic<bool> stopping{false};
  InterruptWatcher interrupts([&] {
    stopping = true;
    progress.Cancel();
  });
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> failedRuns{0};
  const auto work = [&] {
    for (std::size_t i; !stopping && (i = next++) < runnable.size();) {
      const Job& job = *runnable[i];
      const FileOutcome outcome = SpeakToFile(job.request);
      if (!outcome.error.empty()) ++failedRuns;
      progress.Finished(outcome.error.empty() ? "" : jobsName + ":" + std::to_string(job.line) + ": " + outcome.error,
                        AudioSeconds(job.request.format, outcome.dataBytes));
    }
  };
  std::vector<std::thread> workers;
  const std::size_t workerCount = std::min<std::size_t>(static_cast<std::size_t>(channels), runnable.size());
  for (std::size_t i = 0; i < workerCount; ++i) workers.emplace_back(work);
  progress.ShowUntilDone();
  for (std::thread& worker : workers) worker.join();

  const double elapsed = progress.Elapsed();
  const std::size_t finished = progress.Done();
  failed += failedRuns;
  const std::size_t written = finished - failedRuns;
  const double audio = progress.AudioSeconds();
  std::fprintf(stderr, "orven batch: %zu of %zu prompts written in %.2f s on %zu channel%s", written, jobs.size(),
               elapsed, workerCount, workerCount == 1 ? "" : "s");
  if (written > 0 && elapsed > 0)
    std::fprintf(stderr, ": %.1f prompts/s, %.1f s of audio (%.1fx real time)", static_cast<double>(written) / elapsed,
                 audio, audio / elapsed);
  if (failed > 0) std::fprintf(stderr, "; %zu failed", failed);
  std::fputc('\n', stderr);
  if (interrupts.Interrupted()) {
    Report("batch", "interrupted: " + std::to_string(runnable.size() - finished) + " prompts not written");
    interrupts.ExitAsInterrupted();
  }
  return failed == 0 ? kExitOk : kExitFailure;
}

}  // namespace orven::cli
