#pragma once
// What the interpreter needs from the running game: pages and files, the
// clock, the terminate flag, tracing, and the world for the commands that
// reach beyond the script.
#include <cstdint>
#include <string>
#include <string_view>

namespace mivo {

class TCommand;

class TEngineHost {
public:
    virtual ~TEngineHost() = default;

    virtual bool PageExists(std::string_view name) = 0;
    // The page file's bytes; raises the archive's missing-file error.
    virtual std::string ReadPage(std::string_view name) = 0;

    virtual bool Terminated() const = 0;
    // The Terminate command: set the flag and close the window.
    virtual void Terminate() = 0;

    virtual int32_t GameClock() const = 0;
    virtual int32_t LastFrame() const = 0;

    virtual bool Tracing() const { return false; }
    virtual void Trace(const std::string& line) { (void)line; }

    // Whether a component of that full name still exists.
    virtual bool ComponentExists(std::string_view name) { (void)name; return false; }
    // Reset: the component world, the database and the message histories.
    virtual void ResetWorld() {}
    // A warning box ("警告"); headless players print it.
    virtual void Warn(const std::string& text) { (void)text; }
    // A command whose subsystem the player does not have yet.
    virtual void Unsupported(const TCommand& cmd) { (void)cmd; }
};

}  // namespace mivo
