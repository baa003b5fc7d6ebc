#pragma once

#include <cstdint>

// The engine's growable array. Its growth, shrink and copy rules decide memory use
// and element order, so they are fixed:
//  - the first Add reserves 32 slots; a full array grows to 8 when it holds one
//    element, otherwise to the larger of count + 1 and twice its capacity;
//  - after a removal an auto-shrinking array that still holds an element halves its
//    capacity once the count has fallen to a quarter of it or less;
//  - storage is an array of constructed elements; elements are copied by assignment,
//    always in index order.
// Element access goes straight through `data`; indices are not checked there.
template <typename T>
class Array {
public:
    T* data = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
    bool autoShrink = true;

    // Constant-initialisable, so global arrays need no start-up code.
    constexpr Array() = default;

    Array(const Array& other) : count(other.count), capacity(other.capacity), autoShrink(true)
    {
        if (capacity > 0)
            data = new T[capacity];
        CopyElements(data, other.data, count);
    }

    // Keeps the own autoShrink flag and, when it is large enough, the own storage.
    Array& operator=(const Array& other)
    {
        if (this == &other)
            return *this;
        if (capacity < other.capacity) {
            delete[] data;
            data = new T[other.capacity];
            capacity = other.capacity;
        }
        count = other.count;
        CopyElements(data, other.data, count);
        return *this;
    }

    ~Array() { delete[] data; }

    void Add(const T& element)
    {
        if (count + 1 <= capacity) {
            data[count] = element;
            ++count;
            return;
        }
        // The old storage is released only after the element has been copied, so an
        // element that lives in this array can be added.
        T* old = Grow();
        data[count] = element;
        ++count;
        delete[] old;
    }

    // Appends a slot, growing as Add does, and answers it for the caller to fill in
    // place: elements that own memory need not be built elsewhere and copied in. The
    // slot holds a default element, or what a removal left past the end.
    T& AddInPlace()
    {
        if (count + 1 > capacity)
            delete[] Grow();
        return data[count++];
    }

    // Takes storage made by new T[n] (through the element type's own allocation, say)
    // as the storage of an array that has none yet; it is released as the array's own.
    void AdoptStorage(T* storage, int32_t n)
    {
        if (data || !storage || n <= 0)
            return;
        data = storage;
        capacity = n;
    }

    // Never drops below the elements in use; reallocates whenever n differs from the
    // current capacity, also to shrink.
    void SetCapacity(int n)
    {
        if (n == capacity)
            return;
        int32_t newCapacity = n > count ? n : count;
        T* fresh = new T[newCapacity];
        CopyElements(fresh, data, count);
        delete[] data;
        data = fresh;
        capacity = newCapacity;
    }

    bool Remove(const T& element)
    {
        int32_t index = IndexOf(element);
        if (index < 0)
            return false;
        RemoveAt(index);
        return true;
    }

    void RemoveAt(int index)
    {
        if (index < 0 || index >= count)
            return;
        for (int32_t i = index; i + 1 < count; ++i)
            data[i] = data[i + 1];
        --count;
        ShrinkAfterRemoval();
    }

    void RemoveLast()
    {
        if (count > 0)
            RemoveAt(count - 1);
    }

    bool Contains(const T& element) const { return IndexOf(element) >= 0; }

    // For arrays of owned pointers: deletes every element; the storage stays.
    void DeleteAll()
    {
        for (int32_t i = 0; i < count; ++i) {
            if (data[i])
                delete data[i];
        }
        count = 0;
    }

    // Frees the storage (not what pointer elements point at); the array can be filled again.
    void Release()
    {
        delete[] data;
        data = nullptr;
        count = 0;
        capacity = 0;
    }

private:
    static void CopyElements(T* target, const T* source, int32_t n)
    {
        for (int32_t i = 0; i < n; ++i)
            target[i] = source[i];
    }

    int32_t IndexOf(const T& element) const
    {
        for (int32_t i = 0; i < count; ++i) {
            if (data[i] == element)
                return i;
        }
        return -1;
    }

    // Makes room for at least one more element and hands back the old storage, still
    // intact, for the caller to release.
    T* Grow()
    {
        if (!data) {
            SetCapacity(32);
            return nullptr;
        }
        int64_t doubled = 2 * static_cast<int64_t>(capacity);
        int64_t wanted = count == 1 ? 8 : (count + 1 > doubled ? count + 1 : doubled);
        if (wanted > INT32_MAX)
            wanted = INT32_MAX;
        if (wanted < count + 1)
            wanted = count + 1;
        int32_t newCapacity = static_cast<int32_t>(wanted);

        T* old = data;
        T* fresh = new T[newCapacity];
        CopyElements(fresh, old, count);
        data = fresh;
        capacity = newCapacity;
        return old;
    }

    void ShrinkAfterRemoval()
    {
        if (autoShrink && data && count >= 1 && count <= capacity / 4)
            SetCapacity(capacity / 2);
    }
};

static_assert(sizeof(void*) != 4 || sizeof(Array<int>) == 16, "Array is {data, count, capacity, autoShrink}");
