#include "guard/win32/InterimRules.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "settings/dmlRWINIFile.h"

namespace guard::win32 {

namespace {

std::string folded(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::vector<std::string> names(const std::string& list) {
    std::vector<std::string> out;
    std::string word;
    for (char c : list + ",") {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!word.empty()) {
                out.push_back(folded(word));
            }
            word.clear();
        } else {
            word += c;
        }
    }
    return out;
}

std::int64_t seconds(const std::string& ini, const char* key, std::int64_t fallback) {
    const auto value = parseDecimal(GetIniString(ini, "Guard", key, ""));
    return value && *value >= 0 ? *value : fallback;
}

class InterimRules final : public Rules {
  public:
    InterimRules(const std::string& ini, Outside& outside)
        : outside_(outside),
          users_(names(GetIniString(ini, "Guard", "Users", ""))),
          groups_(names(GetIniString(ini, "Guard", "Groups", ""))),
          gateMs_(seconds(ini, "GateSeconds", 60) * 1000),
          graceMs_(seconds(ini, "GraceSeconds", 60) * 1000) {
        if (users_.empty() && groups_.empty()) {
            outside_.log("no [Guard] Users or Groups: guarding no one");
        }
    }

    void sessionNew(const SessionFacts& facts, std::int64_t nowMs) override {
        bool guarded = std::find(users_.begin(), users_.end(), folded(facts.user)) != users_.end();
        for (const auto& group : facts.groups) {
            guarded = guarded ||
                      std::find(groups_.begin(), groups_.end(), folded(group)) != groups_.end();
        }
        if (!guarded || sessions_.count(facts.id) != 0) {
            return;
        }
        sessions_[facts.id] = {facts.user, "waiting", nowMs + gateMs_, std::nullopt, {}};
        outside_.log("guarding session " + facts.id + " of " + facts.user);
    }

    void sessionRemoved(const std::string& id) override { sessions_.erase(id); }

    HelloAnswer hello(const std::string& id, std::int64_t) override {
        const auto it = sessions_.find(id);
        if (it == sessions_.end()) {
            return {};
        }
        it->second.state = "policy";
        it->second.deadlineMs.reset();
        return {true, id};
    }

    AgreedAnswer agreed(const std::string& id, std::int64_t nowMs) override {
        const auto it = sessions_.find(id);
        if (it != sessions_.end() && it->second.state == "policy") {
            it->second.state = "agreed";
            it->second.agreedAtMs = nowMs;
        }
        return {};
    }

    void ending(const std::string& id) override {
        const auto it = sessions_.find(id);
        if (it != sessions_.end()) {
            it->second.state = "ending";
        }
    }

    void gateGone(const std::string& id, std::int64_t) override {
        const auto it = sessions_.find(id);
        if (it != sessions_.end()) {
            finish(it, it->second.endedByAdministrator ? "the administrator ended it"
                                                       : "its gate ended");
        }
    }

    std::string status(const Caller&, bool json, std::int64_t nowMs) override {
        std::ostringstream out;
        if (json) {
            out << "{\"sessions\": [";
        } else {
            out << "SESSION  USER  STATE  AGREED  LEFT  USED\n";
        }
        bool first = true;
        for (const auto& [id, s] : sessions_) {
            const std::string left =
                s.deadlineMs ? std::to_string((*s.deadlineMs - nowMs) / 1000) : "";
            if (json) {
                out << (first ? "" : ", ") << "{\"id\": \"" << id << "\", \"user\": \"" << s.user
                    << "\", \"state\": \"" << s.state << "\", \"agreedAt\": "
                    << (s.agreedAtMs ? std::to_string(*s.agreedAtMs / 1000) : "null")
                    << ", \"secondsLeft\": " << (left.empty() ? "null" : left)
                    << ", \"usedTodaySeconds\": null}";
            } else {
                out << id << "  " << s.user << "  " << s.state << "  -  "
                    << (left.empty() ? "-" : left) << "  -\n";
            }
            first = false;
        }
        if (json) {
            out << "]}\n";
        }
        return out.str();
    }

    std::optional<ReplyError> extend(const std::string& id, std::int64_t secs,
                                     std::int64_t nowMs) override {
        const auto it = sessions_.find(id);
        if (it == sessions_.end()) {
            return ReplyError::NoSuchSession;
        }
        it->second.deadlineMs =
            std::max(nowMs, it->second.deadlineMs.value_or(nowMs)) + secs * 1000;
        outside_.tellGate(id, formatEndChanged((*it->second.deadlineMs - nowMs) / 1000));
        outside_.log("session " + id + " extended by " + std::to_string(secs) + " s");
        return std::nullopt;
    }

    std::optional<ReplyError> end(const std::string& id, std::int64_t nowMs) override {
        const auto it = sessions_.find(id);
        if (it == sessions_.end()) {
            return ReplyError::NoSuchSession;
        }
        it->second.endedByAdministrator = true;
        it->second.state = "ending";
        it->second.deadlineMs = nowMs + graceMs_;
        outside_.tellGate(id, std::string(kEndNow));
        return std::nullopt;
    }

    std::int64_t step(std::int64_t nowMs) override {
        for (auto it = sessions_.begin(); it != sessions_.end();) {
            const auto next = std::next(it);
            if (it->second.deadlineMs && *it->second.deadlineMs <= nowMs) {
                finish(it, it->second.state == "waiting" ? "no gate made itself known"
                                                         : "its time is up");
            }
            it = next;
        }
        return 1000;
    }

  private:
    struct Session {
        std::string user, state;
        std::optional<std::int64_t> deadlineMs, agreedAtMs;
        bool endedByAdministrator = false;
    };
    using Iterator = std::map<std::string, Session>::iterator;

    void finish(Iterator it, std::string_view reason) {
        const std::string id = it->first;
        sessions_.erase(it);
        outside_.endSession(id, reason);
    }

    Outside& outside_;
    std::vector<std::string> users_, groups_;
    std::int64_t gateMs_, graceMs_;
    std::map<std::string, Session> sessions_;
};

}  // namespace

std::unique_ptr<Rules> makeInterimRules(const std::string& iniFile, Outside& outside) {
    return std::make_unique<InterimRules>(iniFile, outside);
}

}  // namespace guard::win32
