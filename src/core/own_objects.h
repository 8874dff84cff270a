// How a layer finds its own object again behind the port the Plugin holds, without a cast: the
// object enters itself here for as long as it lives, under its port's address, and the layer
// looks up the pointer the Plugin keeps. An object of another kind in that place (a test's
// fake) is simply not found. Host thread only, as every object of the Plugin.
#pragma once

namespace qbx {

template <class Port, class Own>
class OwnObjects {
public:
    // A member of the object: it enters the object when built and takes it out when destroyed,
    // also when the object's constructor fails after it. The entries link to each other, so
    // the table itself allocates nothing.
    class Entry {
    public:
        Entry(OwnObjects& objects, Own* own) noexcept
            : objects_(objects), port_(own), own_(own), next_(objects.first_) {
            if (next_ != nullptr) next_->previous_ = this;
            objects_.first_ = this;
        }
        ~Entry() {
            if (previous_ != nullptr)
                previous_->next_ = next_;
            else
                objects_.first_ = next_;
            if (next_ != nullptr) next_->previous_ = previous_;
        }
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;

    private:
        friend class OwnObjects;
        OwnObjects& objects_;
        const Port* port_;
        Own* own_;
        Entry* previous_ = nullptr;
        Entry* next_;
    };

    // The layer's object whose port this is; null for null and for any other object.
    Own* find(const Port* port) const noexcept {
        if (port == nullptr) return nullptr;
        for (const Entry* entry = first_; entry != nullptr; entry = entry->next_)
            if (entry->port_ == port) return entry->own_;
        return nullptr;
    }

private:
    Entry* first_ = nullptr;
};

// One table per kind of object. Constant-initialised with nothing to destroy: the module's
// unload code may run after the run time has destroyed static objects.
template <class Port, class Own>
OwnObjects<Port, Own>& ownObjects() noexcept {
    static constinit OwnObjects<Port, Own> objects;
    return objects;
}

}  // namespace qbx
