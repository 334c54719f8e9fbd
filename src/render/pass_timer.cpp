#include "render/pass_timer.h"

#include <algorithm>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <emscripten/html5.h>
#endif

namespace {

constexpr double kNanosecondsPerMillisecond = 1e6;

#ifdef __EMSCRIPTEN__
// WebGL2 has no 64-bit result call; 32 bits of nanoseconds hold four
// seconds, far beyond any one pass.
double resultNanoseconds(GLuint query)
{
    GLuint nanoseconds = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &nanoseconds);
    return nanoseconds;
}

// A GPU may be interrupted (a power change, another page): the results of
// that time are meaningless and must be dropped.
bool resultsDisjoint()
{
    // GL_GPU_DISJOINT_EXT, which the browser's GL headers do not name.
    constexpr GLenum kGpuDisjoint = 0x8FBB;
    GLint disjoint = 0;
    glGetIntegerv(kGpuDisjoint, &disjoint);
    return disjoint != 0;
}

bool timerAvailable()
{
    return emscripten_webgl_enable_extension(emscripten_webgl_get_current_context(),
                                             "EXT_disjoint_timer_query_webgl2");
}
#else
double resultNanoseconds(GLuint query)
{
    GLuint64 nanoseconds = 0;
    glGetQueryObjectui64v(query, GL_QUERY_RESULT, &nanoseconds);
    return static_cast<double>(nanoseconds);
}

bool resultsDisjoint()
{
    return false;
}

// Timer queries are core since OpenGL 3.3.
bool timerAvailable()
{
    return glGenQueries != nullptr;
}
#endif

std::optional<double> median(const std::deque<double>& values)
{
    if (values.empty()) {
        return std::nullopt;
    }
    std::vector<double> sorted(values.begin(), values.end());
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
    return sorted[sorted.size() / 2];
}

}  // namespace

void PassTimer::keepLatest(std::deque<double>& results, double milliseconds)
{
    results.push_back(milliseconds);
    if (results.size() > kKeptResults) {
        results.pop_front();
    }
}

PassTimer::PassTimer() : available_(timerAvailable()) {}

PassTimer::~PassTimer()
{
    if (!available_) {
        return;
    }
    for (auto& [pass, queries] : passes_) {
        glDeleteQueries(static_cast<GLsizei>(queries.queries.size()), queries.queries.data());
    }
}

void PassTimer::dropQueries()
{
    passes_.clear();
    running_ = nullptr;
    timing_ = false;
}

PassTimer::PassQueries& PassTimer::queriesOf(const RenderPass& pass)
{
    auto [entry, made] = passes_.try_emplace(&pass);
    if (made && available_) {
        glGenQueries(static_cast<GLsizei>(kRingSize), entry->second.queries.data());
    }
    return entry->second;
}

void PassTimer::begin(const RenderPass& pass)
{
    PassQueries& queries = queriesOf(pass);
    running_ = &queries;
    timing_ = false;
    if (available_) {
        collect(queries);
        if (queries.inFlight < kRingSize) {
            const std::size_t next = (queries.oldest + queries.inFlight) % kRingSize;
            queries.begun[next] = std::chrono::steady_clock::now();
            glBeginQuery(GL_TIME_ELAPSED, queries.queries[next]);
            ++queries.inFlight;
            timing_ = true;
        }
    }
    runStart_ = std::chrono::steady_clock::now();
}

void PassTimer::end()
{
    if (running_ != nullptr) {
        keepLatest(running_->cpuResults,
                   std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - runStart_).count());
        running_ = nullptr;
    }
    if (timing_) {
        glEndQuery(GL_TIME_ELAPSED);
        timing_ = false;
    }
}

void PassTimer::collect(PassQueries& pass)
{
    const bool disjoint = pass.inFlight > 0 && resultsDisjoint();
    while (pass.inFlight > 0) {
        const GLuint query = pass.queries[pass.oldest];
        GLuint ready = GL_FALSE;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT_AVAILABLE, &ready);
        if (ready == GL_FALSE) {
            return;
        }
        const double milliseconds = resultNanoseconds(query) / kNanosecondsPerMillisecond;
        // No pass takes longer than the time since its query began. Mesa's
        // llvmpipe answers so for a pass that draws into the window
        // framebuffer alone, as if it had begun at boot; such a result is
        // dropped, not averaged in.
        const double sinceBegun = std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - pass.begun[pass.oldest])
                                      .count();
        if (pass.staleInFlight > 0) {
            --pass.staleInFlight;
        } else if (!disjoint && milliseconds <= sinceBegun) {
            keepLatest(pass.results, milliseconds);
        }
        pass.oldest = (pass.oldest + 1) % kRingSize;
        --pass.inFlight;
    }
}

void PassTimer::collect()
{
    for (auto& [pass, queries] : passes_) {
        collect(queries);
    }
}

std::optional<double> PassTimer::milliseconds(const RenderPass& pass) const
{
    const auto found = passes_.find(&pass);
    return found == passes_.end() ? std::nullopt : median(found->second.results);
}

std::optional<double> PassTimer::cpuMilliseconds(const RenderPass& pass) const
{
    const auto found = passes_.find(&pass);
    return found == passes_.end() ? std::nullopt : median(found->second.cpuResults);
}

std::size_t PassTimer::resultCount(const RenderPass& pass) const
{
    const auto found = passes_.find(&pass);
    return found == passes_.end() ? 0 : found->second.results.size();
}

void PassTimer::forgetResults()
{
    for (auto& [pass, queries] : passes_) {
        queries.results.clear();
        queries.cpuResults.clear();
        queries.staleInFlight = queries.inFlight;
    }
}
