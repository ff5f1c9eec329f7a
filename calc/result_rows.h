#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

// A list of a result's rows, read like a vector. Its rows lie in runs: rows of its own, and runs shared with
// another list, whose rows stay where they are and are kept alive by this one. A mode of a source leaves
// most of its lines as they are in the normal scheme, and its rows of those lines are the normal scheme's
// own, shared rather than copied. A copy of a list shares its rows too; a list written after it was copied
// first takes rows of its own, so that copies never see each other's changes.
namespace k10::calc {

template <class T>
class Rows {
    using Block = std::vector<T>;

public:
    using value_type = T;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = const T&;
    using const_reference = const T&;

    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = const T&;

        const_iterator() = default;
        const T& operator*() const { return rows_->element(run_, i_); }
        const T* operator->() const { return &**this; }
        const T& operator[](difference_type n) const { return (*rows_)[static_cast<std::size_t>(offset(n))]; }
        const_iterator& operator++() {
            ++i_;
            if (run_ + 1 < rows_->runs_.size() && i_ >= rows_->runs_[run_ + 1].start)
                ++run_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator was = *this;
            ++*this;
            return was;
        }
        const_iterator& operator--() {
            --i_;
            if (i_ < rows_->runs_[run_].start)
                --run_;
            return *this;
        }
        const_iterator operator--(int) {
            const_iterator was = *this;
            --*this;
            return was;
        }
        const_iterator& operator+=(difference_type n) {
            return *this = const_iterator(rows_, static_cast<std::size_t>(offset(n)));
        }
        const_iterator& operator-=(difference_type n) { return *this += -n; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.i_) - static_cast<difference_type>(b.i_);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.i_ == b.i_; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.i_ <=> b.i_; }

    private:
        friend class Rows;
        const_iterator(const Rows* rows, std::size_t i) : rows_(rows), i_(i), run_(rows->runOf(i)) {}
        difference_type offset(difference_type n) const { return static_cast<difference_type>(i_) + n; }

        const Rows* rows_ = nullptr;
        std::size_t i_ = 0;
        std::size_t run_ = 0; // the run holding row i_ (the last run at the end)
    };
    using iterator = const_iterator;

    Rows() = default;
    Rows(const Rows&) = default;
    Rows& operator=(const Rows&) = default;
    Rows(Rows&& other) noexcept { *this = std::move(other); }
    Rows& operator=(Rows&& other) noexcept {
        if (this != &other) {
            own_ = std::move(other.own_);
            kept_ = std::move(other.kept_);
            runs_ = std::move(other.runs_);
            size_ = std::exchange(other.size_, 0);
            other.kept_.clear();
            other.runs_.clear();
        }
        return *this;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T& operator[](std::size_t i) const {
        assert(i < size_);
        return runs_.size() == 1 ? runs_.front().at(i) : element(runOf(i), i);
    }
    const T& front() const { return (*this)[0]; }
    const T& back() const { return (*this)[size_ - 1]; }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size_); }

    // Rows [first, last), which lie in one run, as an array.
    const T* contiguous(std::size_t first, [[maybe_unused]] std::size_t last) const {
        if (first == last)
            return nullptr;
        const std::size_t run = runOf(first);
        assert(run + 1 == runs_.size() || last <= runs_[run + 1].start);
        return &runs_[run].at(first);
    }

    // Empties the list, keeping the room of its own rows where no copy shares them.
    void clear() {
        runs_.clear();
        kept_.clear();
        size_ = 0;
        if (own_ && own_.use_count() == 1)
            own_->clear();
        else
            own_.reset();
    }
    void push_back(const T& row) {
        Block& own = writableOwn();
        own.push_back(row);
        ownRows(own.size() - 1, 1);
    }
    // Rows gathered for a list, then given to it whole: rows of its own, written as into a vector, and
    // between them runs to be shared with other lists.
    class Builder {
    public:
        std::vector<T> own;

        // The rows gathered so far.
        std::size_t size() const { return own.size() + sharedRows_; }
        // Rows [first, last) of `from`, to be shared with it after the own rows written so far.
        void share(const Rows& from, std::size_t first, std::size_t last) {
            if (first < last)
                shared_.push_back({own.size(), &from, first, last});
            sharedRows_ += last - first;
        }
        // The rows gathered become the list's, in place of what it had; the builder is empty again, with
        // the room the list's own rows had.
        void moveTo(Rows& rows) {
            rows.clear();
            Block& block = rows.writableOwn();
            block.swap(own);
            own.clear();
            std::size_t at = 0;
            for (const Shared& s : shared_) {
                rows.ownRows(at, s.ownBefore - at);
                at = s.ownBefore;
                rows.appendShared(*s.from, s.first, s.last);
            }
            rows.ownRows(at, block.size() - at);
            shared_.clear();
            sharedRows_ = 0;
        }

    private:
        struct Shared {
            std::size_t ownBefore; // own rows written before it
            const Rows* from;
            std::size_t first, last;
        };
        std::vector<Shared> shared_;
        std::size_t sharedRows_ = 0;
    };

    // Rows [first, last) of `from` appended, shared with it.
    void appendShared(const Rows& from, std::size_t first, std::size_t last) {
        while (first < last) {
            const std::size_t run = from.runOf(first);
            const Run& r = from.runs_[run];
            const std::size_t end =
                std::min(last, run + 1 < from.runs_.size() ? from.runs_[run + 1].start : from.size_);
            const std::size_t offset = r.offset + (first - r.start);
            if (!runs_.empty() && runs_.back().block == r.block &&
                runs_.back().offset + (size_ - runs_.back().start) == offset) {
                // Goes on where the last run ends.
            } else {
                runs_.push_back({r.block, offset, size_});
                keep(from.blockOwner(r.block));
            }
            size_ += end - first;
            first = end;
        }
    }

private:
    // Rows [start, the next run's start) are rows [offset, ...) of block.
    struct Run {
        const Block* block;
        std::size_t offset;
        std::size_t start;

        const T& at(std::size_t i) const { return (*block)[offset + (i - start)]; }
    };

    // The run holding row i: the last whose start is not beyond it.
    std::size_t runOf(std::size_t i) const {
        if (runs_.size() <= 1)
            return 0;
        auto it = std::upper_bound(runs_.begin(), runs_.end(), i,
                                   [](std::size_t row, const Run& r) { return row < r.start; });
        return static_cast<std::size_t>(it - runs_.begin()) - 1;
    }
    const T& element(std::size_t run, std::size_t i) const { return runs_[run].at(i); }

    // Rows [offset, offset + count) of its own block appended to the list.
    void ownRows(std::size_t offset, std::size_t count) {
        if (count == 0)
            return;
        if (runs_.empty() || runs_.back().block != own_.get() ||
            runs_.back().offset + (size_ - runs_.back().start) != offset)
            runs_.push_back({own_.get(), offset, size_});
        size_ += count;
    }
    // The rows of its own, taken apart from any copy's before they are written.
    Block& writableOwn() {
        if (!own_) {
            own_ = std::make_shared<Block>();
        } else if (own_.use_count() > 1) {
            auto copy = std::make_shared<Block>(*own_);
            for (Run& r : runs_)
                if (r.block == own_.get())
                    r.block = copy.get();
            own_ = std::move(copy);
        }
        return *own_;
    }
    // The owner of a block this list reads.
    std::shared_ptr<const Block> blockOwner(const Block* block) const {
        if (own_.get() == block)
            return own_;
        for (const auto& kept : kept_)
            if (kept.get() == block)
                return kept;
        assert(false);
        return nullptr;
    }
    void keep(std::shared_ptr<const Block> block) {
        if (std::find(kept_.begin(), kept_.end(), block) == kept_.end())
            kept_.push_back(std::move(block));
    }

    std::shared_ptr<Block> own_;
    std::vector<std::shared_ptr<const Block>> kept_; // the blocks of the shared runs
    std::vector<Run> runs_;
    std::size_t size_ = 0;
};

} // namespace k10::calc
