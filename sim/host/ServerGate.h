// What the host lets through from a server it does not trust. Every frame of a connection passes
// here before anything of it reaches the screen or the player:
// - until a login succeeds, only the login result;
// - after it, the Chamber's job tables and application lists, the wallet, heartbeats, a result
//   only while a request of its kind is outstanding on this connection (a vote's result using no
//   more ballots than the vote asked for), and login results only for the session's own player
//   (the UserId of its first login);
// - what the screen keeps for good stays bounded: posts 1 ... 15 only, at most as many applications
//   a post as one list message holds, and a bound on the bytes of their records;
// - what waits for the screen stays within a bound of frames and bytes.
// A frame that breaks a rule ends the connection; nothing of it is kept.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "Engine.h"
#include "Frame.h"
#include "NetMessages.h"

namespace sim {

struct GateLimits {
    std::size_t queuedFrames = 4096;          // messages waiting for the screen
    std::size_t queuedBytes = 4u << 20;       // and their bytes
    std::size_t applicationBytes = 4u << 20;  // the application records the screen holds, in all
};

class ServerGate {
public:
    enum class Outcome {
        Passed,    // the frame is taken: kept for the screen, or read by the host
        LoggedIn,  // the login succeeded
        Refused,   // the server refused the login; Why() gives its reason
        Flooded,   // more waits for the screen than the bounds allow: the connection is to end
        Broken,    // the frame breaks a rule: the connection is to end; Why() says which
    };

    explicit ServerGate(GateLimits limits = {}) : m_limits(limits) {}

    // A new connection: no login answered and nothing outstanding yet. Returns the ids of the
    // requests still outstanding on the last one, oldest first: their outcome is unknown.
    std::vector<int> Restart();
    // A request leaves on this connection, with its image.
    void Sent(int id, std::span<const char> image);
    Outcome Receive(wire::Frame frame);
    const std::string& Why() const { return m_why; }

    // The next message for the screen, in the order the server sent them.
    std::optional<rules::Message> Next();
    bool LoggedIn() const { return m_loggedIn; }
    // The player's identity text and wallet as the server last sent them; empty before a login.
    const std::string& Identity() const { return m_identity; }
    std::optional<wire::Wallet> Wallet() const { return m_wallet; }
    std::size_t QueuedBytes() const { return m_queuedBytes; }

private:
    // What the screen holds of a post, as far as the host bounds it: the bytes of each application
    // record by applyId.
    struct Post {
        bool known = false;
        std::unordered_map<int, std::size_t> applications;
    };
    static constexpr int kPosts = 15;

    Outcome Break(std::string why);
    Outcome OnLoginResult(const CKParam& packet);
    bool TakePosts(const CKParam& packet);
    bool TakeApplications(int id, const CKParam& packet);
    bool Answer(int resultId, const CKParam& packet);

    GateLimits m_limits;
    bool m_loggedIn = false;
    int m_userId = 0;  // the session's player, fixed by its first login
    std::string m_identity;
    std::optional<wire::Wallet> m_wallet;
    std::string m_why;
    struct Request {
        int id;
        long long ballots;  // a vote's, either way
    };
    std::deque<Request> m_outstanding;
    std::array<Post, kPosts + 1> m_posts;  // by job id; 0 unused
    std::size_t m_applicationBytes = 0;
    std::deque<rules::Message> m_queue;
    std::size_t m_queuedBytes = 0;
};

}  // namespace sim
