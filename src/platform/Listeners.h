#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace listeners_detail {

// What a subscription needs of its list, whatever the list's followers take.
class TFollowerList {
public:
    virtual ~TFollowerList() = default;
    virtual void Remove(std::uint64_t id) = 0;
};

} // namespace listeners_detail

// A follower's place in a list: while it is held, the follower is told; once it is gone or
// unsubscribed, never again. It may outlive the list it was taken from.
class [[nodiscard]] TSubscription {
public:
    TSubscription() = default;
    TSubscription(std::weak_ptr<listeners_detail::TFollowerList> list, std::uint64_t id)
        : list_(std::move(list)), id_(id)
    {
    }
    TSubscription(TSubscription&& other) noexcept
        : list_(std::move(other.list_)), id_(std::exchange(other.id_, 0))
    {
    }
    TSubscription& operator=(TSubscription&& other) noexcept
    {
        if (this != &other) {
            Unsubscribe();
            list_ = std::move(other.list_);
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    TSubscription(const TSubscription&) = delete;
    TSubscription& operator=(const TSubscription&) = delete;
    ~TSubscription() { Unsubscribe(); }

    void Unsubscribe()
    {
        if (const auto list = list_.lock())
            list->Remove(id_);
        list_.reset();
        id_ = 0;
    }

private:
    std::weak_ptr<listeners_detail::TFollowerList> list_;
    std::uint64_t id_ = 0;
};

template <typename Signature>
class TListeners;

// Whoever follows one kind of report: any number of followers, each told in the order it
// subscribed. One that unsubscribes while a report goes round is not told it if its turn has
// not come; one that subscribes then hears the next report. A follower that throws stops the
// round there, and the exception goes to whoever reported.
template <typename... Args>
class TListeners<void(Args...)> {
public:
    using TFollower = std::function<void(Args...)>;

    TListeners() = default;
    TListeners(const TListeners&) = delete;
    TListeners& operator=(const TListeners&) = delete;

    TSubscription Subscribe(TFollower follower)
    {
        const std::uint64_t id = state_->NextId++;
        state_->Entries.push_back(std::make_shared<TEntry>(TEntry{id, std::move(follower)}));
        return TSubscription(state_, id);
    }

    // Lets every follower go; only the list's owner should.
    void Clear()
    {
        for (const auto& entry : state_->Entries)
            entry->Id = 0;
        state_->Compact();
    }

    std::size_t Count() const
    {
        std::size_t live = 0;
        for (const auto& entry : state_->Entries)
            live += entry->Id != 0;
        return live;
    }
    explicit operator bool() const { return Count() > 0; }

    void operator()(Args... args) const
    {
        // The list may change under the round: each follower is held while it is told, and a
        // removed one is only marked until the round is over.
        const std::shared_ptr<TState> state = state_;
        const std::size_t count = state->Entries.size();
        ++state->Depth;
        struct TRoundEnd {
            TState& State;
            ~TRoundEnd()
            {
                if (--State.Depth == 0)
                    State.Compact();
            }
        } roundEnd{*state};
        for (std::size_t i = 0; i < count; ++i) {
            const std::shared_ptr<TEntry> entry = state->Entries[i];
            if (entry->Id != 0)
                entry->Follower(args...);
        }
    }

private:
    struct TEntry {
        std::uint64_t Id;
        TFollower Follower;
    };

    struct TState : listeners_detail::TFollowerList {
        std::vector<std::shared_ptr<TEntry>> Entries;
        std::uint64_t NextId = 1;
        int Depth = 0;

        void Remove(std::uint64_t id) override
        {
            for (const auto& entry : Entries)
                if (entry->Id == id)
                    entry->Id = 0;
            Compact();
        }
        void Compact()
        {
            if (Depth == 0)
                std::erase_if(Entries, [](const auto& entry) { return entry->Id == 0; });
        }
    };

    std::shared_ptr<TState> state_ = std::make_shared<TState>();
};
