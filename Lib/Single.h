// Single<T>: the one owner of one heap object.
//
// Move-only: transfer assignment deletes what this holder owns, takes the other
// holder's object and empties the other. Destroying the holder deletes the
// object through T, so every T held here has a virtual destructor.
#pragma once
#include <type_traits>

namespace Ryx_Lib
{
    template <class T>
    class Single
    {
    public:
        Single() = default;
        explicit Single(T* object) : m_object(object) {}

        template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
        Single(Single<U>&& other) noexcept : m_object(other.Release())
        {}

        Single(Single&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }

        Single& operator=(Single&& other) noexcept
        {
            if (this != &other)
            {
                T* taken = other.m_object;
                other.m_object = nullptr;
                delete m_object;
                m_object = taken;
            }
            return *this;
        }

        Single(const Single&) = delete;
        Single& operator=(const Single&) = delete;

        virtual ~Single() { delete m_object; }

        T* operator->() const { return m_object; }
        T& operator*() const { return *m_object; }
        T* Get() const { return m_object; }
        explicit operator bool() const { return m_object != nullptr; }

        // Gives the object up without deleting it.
        T* Release()
        {
            T* object = m_object;
            m_object = nullptr;
            return object;
        }

    private:
        T* m_object = nullptr;
    };
}
