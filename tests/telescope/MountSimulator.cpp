#include "MountSimulator.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

double Wrap180(double x) {
    return std::remainder(x, 360.0);
}

std::string Sexa(const char* format, double value, bool sign) {
    long s = std::lround(std::fabs(value) * 3600.0);
    char text[64];
    if (sign)
        std::snprintf(text, sizeof text, format, value < 0 ? '-' : '+', s / 3600, s / 60 % 60,
                      s % 60);
    else
        std::snprintf(text, sizeof text, format, s / 3600, s / 60 % 60, s % 60);
    return text;
}

unsigned Turns(double degrees) {
    return static_cast<unsigned>(std::lround(degrees / 360.0 * 65536.0)) & 0xFFFF;
}
double FromTurns(unsigned t) {
    double d = (t & 0xFFFF) * 360.0 / 65536.0;
    return d > 180 ? d - 360 : d;
}

} // namespace

MountSimulator::MountSimulator(char set, double degreesPerSecond)
    : set_(set), rate_(degreesPerSecond) {
    int slave = -1;
    char name[128] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master_, &slave, name, &raw, nullptr) != 0) return;
    // The program opens the slave by name; this end keeps none open.
    close(slave);
    device_ = name;
    thread_ = std::thread([this] { run(); });
}

MountSimulator::~MountSimulator() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) close(master_);
}

void MountSimulator::setPosition(double ra, double dec) {
    std::lock_guard<std::mutex> g(lock);
    ra_ = targetRA_ = ra;
    dec_ = targetDec_ = dec;
    slewing_ = false;
}

void MountSimulator::position(double& ra, double& dec) {
    std::lock_guard<std::mutex> g(lock);
    ra = ra_;
    dec = dec_;
}

bool MountSimulator::slewing() {
    std::lock_guard<std::mutex> g(lock);
    return slewing_;
}

std::string MountSimulator::received() {
    std::lock_guard<std::mutex> g(lock);
    return received_;
}

void MountSimulator::clearReceived() {
    std::lock_guard<std::mutex> g(lock);
    received_.clear();
}

void MountSimulator::slew(double seconds) {
    if (!slewing_) return;
    double step = rate_ * seconds;
    double dRA = Wrap180(targetRA_ - ra_), dDec = targetDec_ - dec_;
    ra_ += std::fabs(dRA) < step ? dRA : std::copysign(step, dRA);
    dec_ += std::fabs(dDec) < step ? dDec : std::copysign(step, dDec);
    ra_ = std::fmod(ra_ + 360.0, 360.0);
    if (std::fabs(dRA) < step && std::fabs(dDec) < step) {
        ra_ = targetRA_;
        dec_ = targetDec_;
        slewing_ = false;
        justArrived_ = true;
    }
}

void MountSimulator::run() {
    std::string inbox;
    auto last = std::chrono::steady_clock::now();
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 2) > 0 && (p.revents & POLLIN)) {
            char buffer[256];
            ssize_t n = read(master_, buffer, sizeof buffer);
            if (n > 0) {
                inbox.append(buffer, static_cast<size_t>(n));
                std::lock_guard<std::mutex> g(lock);
                received_.append(buffer, static_cast<size_t>(n));
            }
        }
        std::string reply;
        {
            std::lock_guard<std::mutex> g(lock);
            auto now = std::chrono::steady_clock::now();
            slew(std::chrono::duration<double>(now - last).count());
            last = now;
            if (justArrived_ && set_ == 'N') reply = "@";
            justArrived_ = false;
            // A NexStar hears nothing while it slews.
            if (set_ == 'N' && slewing_) inbox.clear();
            while (answer(inbox, reply)) {
            }
        }
        if (reply.empty()) continue;
        SimFault f = fault;
        if (f == SimFault::Vanish) {
            close(master_);
            master_ = -1;
            return;
        }
        if (f == SimFault::Silent) continue;
        if (f == SimFault::Garbage)
            reply = set_ == 'N' ? "\x01\x02" : "x?!zz" + reply.substr(reply.size() - 1);
        if (f == SimFault::Half) reply.resize(reply.size() / 2);
        if (replyDelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(replyDelayMs.load()));
        if (write(master_, reply.data(), reply.size()) < 0) return;
    }
}

bool MountSimulator::answer(std::string& in, std::string& reply) {
    switch (set_) {
    case 'A':
        return answerA(in, reply);
    case 'B':
        return answerB(in, reply);
    case 'N':
        return answerN(in, reply);
    case 'D':
        return answerD(in, reply);
    default:
        return answerE(in, reply);
    }
}

bool MountSimulator::answerA(std::string& in, std::string& reply) {
    if (!in.empty() && in[0] == '\x06') {
        in.erase(0, 1);
        reply += "P";
        return true;
    }
    size_t end = in.find('#');
    if (end == std::string::npos) return false;
    std::string c = in.substr(0, end + 1);
    in.erase(0, end + 1);
    int h = 0, d = 0, m = 0;
    double mm = 0;
    char sign = '+';
    if (c == ":GR#") {
        long tenths = std::lround(ra_ / 15.0 * 600.0) % 14400;
        char text[32];
        std::snprintf(text, sizeof text, "%02ld:%02ld.%ld#", tenths / 600, tenths / 10 % 60,
                      tenths % 10);
        reply += shortForm ? text : Sexa("%02ld:%02ld:%02ld#", ra_ / 15.0, false);
    } else if (c == ":GD#") {
        reply += shortForm
                     ? Sexa("%c%02ld*%02ld#", std::trunc(dec_ * 60) / 60, true).substr(0, 6) + "#"
                     : Sexa("%c%02ld*%02ld:%02ld#", dec_, true);
    } else if (std::sscanf(c.c_str(), ":Sr %d:%lf#", &h, &mm) == 2) {
        pendingRA_ = (h + mm / 60.0) * 15.0;
        reply += "1";
    } else if (std::sscanf(c.c_str(), ":Sd %c%d*%d#", &sign, &d, &m) == 3) {
        pendingDec_ = (d + m / 60.0) * (sign == '-' ? -1 : 1);
        reply += rejectDec ? "0" : "1";
    } else if (c == ":MS#") {
        targetRA_ = pendingRA_;
        targetDec_ = pendingDec_;
        slewing_ = true;
        reply += "0";
    } else if (c == ":CM#") {
        ra_ = targetRA_ = pendingRA_;
        dec_ = targetDec_ = pendingDec_;
        reply += " M31 EX GAL MAG 3.5 SZ178.0'#";
    } else if (c.compare(0, 3, ":SC") == 0) {
        reply += "1Updating        planetary data#                                #";
    } else if (c.compare(0, 3, ":SG") == 0 || c.compare(0, 3, ":SL") == 0 ||
               c.compare(0, 3, ":St") == 0 || c.compare(0, 3, ":Sg") == 0) {
        reply += "1";
    } else if (c.compare(0, 2, ":Q") == 0) {
        slewing_ = false;
    }
    return true;
}

bool MountSimulator::answerB(std::string& in, std::string& reply) {
    size_t end = in.find('#');
    if (end == std::string::npos) return false;
    std::string c = in.substr(0, end + 1);
    in.erase(0, end + 1);
    unsigned r = 0, d = 0;
    char text[32];
    if (c == "E#") {
        std::snprintf(text, sizeof text, "%04X,%04X#", Turns(ra_), Turns(dec_));
        reply += text;
    } else if (std::sscanf(c.c_str(), "R%4X,%4X#", &r, &d) == 2) {
        targetRA_ = FromTurns(r) < 0 ? FromTurns(r) + 360 : FromTurns(r);
        targetDec_ = FromTurns(d);
        slewing_ = true;
        reply += "#";
    } else if (std::sscanf(c.c_str(), "F%4X,%4X#", &r, &d) == 2) {
        ra_ = targetRA_ = FromTurns(r) < 0 ? FromTurns(r) + 360 : FromTurns(r);
        dec_ = targetDec_ = FromTurns(d);
        reply += "#";
    } else if (c == "M#") {
        slewing_ = false;
    }
    return true;
}

bool MountSimulator::answerN(std::string& in, std::string& reply) {
    if (in.empty()) return false;
    std::string echoed = echo ? in.substr(0, 1) : "";
    if (in[0] == '?') {
        in.erase(0, 1);
        reply += "#";
    } else if (in[0] == 'E') {
        in.erase(0, 1);
        unsigned r = Turns(ra_), d = Turns(dec_);
        reply += echoed + std::string{char(r >> 8), char(r & 0xFF), char(d >> 8), char(d & 0xFF)};
    } else if (in[0] == 'R') {
        if (in.size() < 5) return false;
        auto word = [&](int i) { return unsigned(uint8_t(in[i])) << 8 | uint8_t(in[i + 1]); };
        targetRA_ = std::fmod(FromTurns(word(1)) + 360.0, 360.0);
        targetDec_ = FromTurns(word(3));
        slewing_ = true;
        in.erase(0, 5);
    } else {
        in.erase(0, 1);
    }
    return true;
}

bool MountSimulator::answerD(std::string& in, std::string& reply) {
    if (in.empty()) return false;
    char text[64];
    if (in[0] == 'P') reply += "101\r";
    if (in[0] == 'Q') {
        std::snprintf(text, sizeof text, "%+06ld\t%+06ld\r", std::lround(counts[0]),
                      std::lround(counts[1]));
        reply += text;
    }
    in.erase(0, 1);
    return true;
}

bool MountSimulator::answerE(std::string& in, std::string& reply) {
    size_t end = in.find('\r');
    if (end == std::string::npos) return false;
    std::string c = in.substr(0, end + 1);
    in.erase(0, end + 1);
    int rh, rm, dd, dm;
    double rs, ds;
    char sign, kind;
    if (c == "D\r") {
        reply += "00\n";
    } else if (c == "R\r") {
        reply += "** RA:" + Sexa("%02ld:%02ld:%02ld", ra_ / 15.0, false) +
                 ".0 DEC:" + Sexa("%c%02ld:%02ld:%02ld", dec_, true) + "\n";
    } else if (std::sscanf(c.c_str(), "%cRA:%d:%d:%lf DEC:%c%d:%d:%lf", &kind, &rh, &rm, &rs, &sign,
                           &dd, &dm, &ds) == 8) {
        reply += slewing_ && kind == 'X' ? "02\n" : "00\n";
        targetRA_ = (rh + rm / 60.0 + rs / 3600.0) * 15.0;
        targetDec_ = (dd + dm / 60.0 + ds / 3600.0) * (sign == '-' ? -1 : 1);
        if (kind == 'S') ra_ = targetRA_, dec_ = targetDec_;
        slewing_ = kind == 'X';
    } else {
        if (c == "TS\r") slewing_ = false;
        reply += "00\n";
    }
    return true;
}
