#include "velquist/Pairing.h"

namespace velquist {

namespace {

std::uint64_t RequestKey(std::uint32_t terminal, std::uint32_t mcn) {
    return std::uint64_t{terminal} << 32 | mcn;
}

} // namespace

TPairRole PairRoleOf(TDMsgType type) {
    switch (type) {
    case mtCustomerRequest: return TPairRole::Request;
    case mtFunctionCommand: return TPairRole::Command;
    case mtSolicited: return TPairRole::Status;
    default: return TPairRole::Other;
    }
}

std::uint32_t TPairingCore::Add(TPairRole role, std::uint32_t terminal,
                                std::optional<std::uint32_t> mcn) {
    const auto self = static_cast<std::uint32_t>(FLinks.size());
    TPairLinks links;
    switch (role) {
    case TPairRole::Request:
        if (mcn) {
            FOpenRequests.insert_or_assign(RequestKey(terminal, *mcn), self);
        }
        break;
    case TPairRole::Command:
        if (mcn) {
            const auto request = FOpenRequests.find(RequestKey(terminal, *mcn));
            if (request != FOpenRequests.end()) {
                links.Back = request->second;
                FLinks[request->second].Forward = self;
                FOpenRequests.erase(request);
            }
        }
        FOpenCommands.insert_or_assign(terminal, self);
        break;
    case TPairRole::Status: {
        const auto command = FOpenCommands.find(terminal);
        if (command != FOpenCommands.end()) {
            links.Back = command->second;
            FLinks[command->second].Forward = self;
            FOpenCommands.erase(command);
        }
        break;
    }
    case TPairRole::Other: break;
    }
    FLinks.push_back(links);
    return self;
}

TPairingInput PairingInputOf(TDMsgType type, const TMessageSummary& summary,
                             std::chrono::nanoseconds time) {
    TPairingInput input;
    input.Role = PairRoleOf(type);
    if (input.Role == TPairRole::Other || !summary.Luno) {
        input.Role = TPairRole::Other; // nothing to pair on
        return input;
    }
    input.Luno = *summary.Luno;
    input.Mcn = summary.Mcn;
    input.Time = time;
    return input;
}

void TConversationPairing::Add(TMessageId id, const TPairingInput& input) {
    if (input.Role == TPairRole::Other || FNumbers.contains(id)) {
        return;
    }
    const std::optional<std::uint32_t> mcn =
        input.Mcn ? std::optional(FMcns.Intern(*input.Mcn)) : std::nullopt;
    const std::uint32_t number = FCore.Add(input.Role, FLunos.Intern(input.Luno), mcn);
    FAdded.push_back({id, input.Time, input.Role});
    FNumbers.emplace(id, number);
}

std::optional<TPairing> TConversationPairing::Find(TMessageId id) const {
    const auto found = FNumbers.find(id);
    if (found == FNumbers.end()) {
        return std::nullopt;
    }
    const TAdded& self = FAdded[found->second];
    const TPairLinks links = FCore.Links(found->second);
    const auto frame = [this](std::uint32_t number) {
        return number == kNoMessage ? std::nullopt : std::optional(FAdded[number].Id.Frame);
    };
    const auto since = [&](std::uint32_t number) {
        return number == kNoMessage ? std::nullopt : std::optional(self.Time - FAdded[number].Time);
    };
    TPairing pairing;
    switch (self.Role) {
    case TPairRole::Request: pairing.ResponseIn = frame(links.Forward); break;
    case TPairRole::Command:
        pairing.ResponseTo = frame(links.Back);
        pairing.ResponseTime = since(links.Back);
        pairing.StatusIn = frame(links.Forward);
        break;
    case TPairRole::Status:
        pairing.StatusTo = frame(links.Back);
        pairing.StatusTime = since(links.Back);
        break;
    case TPairRole::Other: break;
    }
    return pairing;
}

} // namespace velquist
