// The GPU time of each pass of the frame, measured without stalling it, and
// the processor time its calls took to issue:
// every pass that runs is wrapped in a timer query from a small ring of its
// own, and a query is read only once GL says its result is in, a few frames
// later, so no frame waits for the GPU. Desktop GL has the timer in its
// core; WebGL2 has it through EXT_disjoint_timer_query_webgl2, where a
// browser offers it.
#pragma once

#include "render/render_pass.h"

#include <GL/glew.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <deque>
#include <map>
#include <optional>

class PassTimer {
public:
    // Needs a current context, which must outlive the timer.
    PassTimer();
    ~PassTimer();
    PassTimer(const PassTimer&) = delete;
    PassTimer& operator=(const PassTimer&) = delete;

    // False where the GL has no timer queries; the timer then measures nothing.
    bool available() const { return available_; }

    // Around one pass of a frame. A pass whose queries are all still
    // waiting for their results goes untimed this frame.
    void begin(const RenderPass& pass);
    void end();

    // Takes in every result that is ready, without waiting.
    void collect();

    // The median of the pass's latest results, in milliseconds; none
    // while it has none.
    std::optional<double> milliseconds(const RenderPass& pass) const;
    // How many results that median is taken over.
    std::size_t resultCount(const RenderPass& pass) const;
    // The median of the processor time its latest runs took to issue
    // their calls, in milliseconds; none before it has run.
    std::optional<double> cpuMilliseconds(const RenderPass& pass) const;

    // Forgets every result, so the next ones describe new conditions
    // (other switches). Queries in flight are still read, then dropped.
    void forgetResults();

    // Drops every query and result without deleting a query: they belong
    // to a context that was lost. Queries are made again as passes begin.
    void dropQueries();

private:
    // Enough that results a few frames old are read before the ring is
    // full; a GPU that lags further behind only skips timings.
    static constexpr std::size_t kRingSize = 4;
    // The latest results a median is taken over.
    static constexpr std::size_t kKeptResults = 64;

    struct PassQueries {
        std::array<GLuint, kRingSize> queries{};
        std::array<std::chrono::steady_clock::time_point, kRingSize> begun{};
        std::size_t oldest = 0;   // ring position of the oldest query in flight
        std::size_t inFlight = 0;
        // Results of queries begun before forgetResults() was last called
        // are read to free their slots, but not kept.
        std::size_t staleInFlight = 0;
        std::deque<double> results;
        std::deque<double> cpuResults;
    };

    PassQueries& queriesOf(const RenderPass& pass);
    static void keepLatest(std::deque<double>& results, double milliseconds);
    void collect(PassQueries& pass);

    bool available_ = false;
    bool timing_ = false;
    PassQueries* running_ = nullptr;
    std::chrono::steady_clock::time_point runStart_;
    std::map<const RenderPass*, PassQueries> passes_;
};
