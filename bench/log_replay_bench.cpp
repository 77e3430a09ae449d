// The cost of replaying a dirty hive's transaction logs: the files are read
// once, then replayed ROUNDS times in memory; the median round is printed.
// Usage: log_replay_bench <hive> <log>...
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "hive_files.h"
#include "hive_log_replay.h"

namespace {

const int ROUNDS = 21;

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    winsim::HiveBytes hive;
    std::vector<winsim::LogFile> logs;
    bool read = winsim::ReadHostFile(argv[1], SIZE_MAX, &hive);
    for (int i = 2; read && i < argc; ++i) {
        logs.push_back({argv[i], {}});
        read = winsim::ReadHostFile(argv[i], SIZE_MAX, &logs.back().bytes);
    }
    if (!read) {
        std::perror("log_replay_bench");
        return 1;
    }
    std::vector<double> seconds;
    winsim::LogReplay replay;
    for (int round = 0; round < ROUNDS; ++round) {
        auto start = std::chrono::steady_clock::now();
        replay = winsim::ReplayLogs(hive, logs);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    size_t logBytes = 0;
    for (const winsim::LogFile &log : logs)
        logBytes += log.bytes.size();
    std::printf("%zu entries, %zu pages from %zu bytes of logs into a %zu-byte image: %.2f ms (median of %d)\n",
                replay.entries, replay.pages, logBytes, replay.image.size(), seconds[ROUNDS / 2] * 1000, ROUNDS);
    return replay.stops.empty() ? 0 : 1;
}
