// The process's map from handles to the framework objects that stand for them: permanent entries
// for attached objects, temporary ones made for handles no object owns.
#pragma once

#include <mutex>
#include <unordered_map>
#include <vector>

template <class Handle, class Object>
class HandleMap {
public:
    Object* LookupPermanent(Handle h) {
        std::lock_guard lock(m_lock);
        const auto found = m_permanent.find(h);
        return found != m_permanent.end() ? found->second : nullptr;
    }

    // The permanent object, else the temporary one, made by makeTemporary on first demand.
    template <class Make>
    Object* FromHandle(Handle h, Make makeTemporary) {
        if (h == nullptr) {
            return nullptr;
        }
        std::lock_guard lock(m_lock);
        if (const auto found = m_permanent.find(h); found != m_permanent.end()) {
            return found->second;
        }
        Object*& temporary = m_temporary[h];
        if (temporary == nullptr) {
            temporary = makeTemporary(h);
        }
        return temporary;
    }

    // FALSE when the handle already belongs to an object.
    bool SetPermanent(Handle h, Object* object) {
        std::lock_guard lock(m_lock);
        return m_permanent.emplace(h, object).second;
    }

    void RemovePermanent(Handle h) {
        std::lock_guard lock(m_lock);
        m_permanent.erase(h);
    }

    // Hands the temporary objects to release (which must not touch the map) and forgets them.
    template <class Release>
    void DeleteTemporary(Release release) {
        std::vector<Object*> objects;
        {
            std::lock_guard lock(m_lock);
            for (const auto& entry : m_temporary) {
                objects.push_back(entry.second);
            }
            m_temporary.clear();
        }
        for (Object* object : objects) {
            release(object);
        }
    }

private:
    std::mutex m_lock;
    std::unordered_map<Handle, Object*> m_permanent;
    std::unordered_map<Handle, Object*> m_temporary;
};
