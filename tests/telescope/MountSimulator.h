#pragma once

// Simulated mounts on the far side of a pseudo-terminal: each speaks one
// command set byte for byte, keeps a position of date (degrees), slews at a
// finite rate, and can be made to fail as real mounts and cables do.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

enum class SimFault { None, Silent, Garbage, Half, Vanish };

class MountSimulator {
public:
    // set: 'A', 'B', 'N', 'D' or 'E'.
    explicit MountSimulator(char set, double degreesPerSecond = 20000.0);
    ~MountSimulator();
    const std::string& device() const { return device_; }

    void setPosition(double ra, double dec);
    void position(double& ra, double& dec);
    bool slewing();
    std::string received(); // every byte the mount was sent
    void clearReceived();

    std::atomic<SimFault> fault{SimFault::None};
    std::atomic<bool> echo{false};      // NexStar hand controls that repeat commands
    std::atomic<bool> shortForm{false}; // LX-200 "HH:MM.T" and "sDD*MM"
    std::atomic<bool> rejectDec{false}; // LX-200 refuses ":Sd"
    std::atomic<long> replyDelayMs{0};
    double counts[2] = {0, 0}; // encoder box counts (under the lock)
    std::mutex lock;

private:
    void run();
    // Takes one whole command off the front of `in`; false when incomplete.
    bool answer(std::string& in, std::string& reply);
    bool answerA(std::string& in, std::string& reply);
    bool answerB(std::string& in, std::string& reply);
    bool answerN(std::string& in, std::string& reply);
    bool answerD(std::string& in, std::string& reply);
    bool answerE(std::string& in, std::string& reply);
    void slew(double seconds);

    char set_;
    double rate_;
    int master_ = -1;
    std::string device_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    double ra_ = 0, dec_ = 0, targetRA_ = 0, targetDec_ = 0;
    bool slewing_ = false, justArrived_ = false;
    double pendingRA_ = 0, pendingDec_ = 0;
    std::string received_;
};
