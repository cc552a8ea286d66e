/*
 * libzuc C++ layer, every family: typed, move-only, header-only wrappers over
 * the C functions, in namespace zuc. C++20; no exceptions, no RTTI, no
 * exported symbol of its own. See each header for its family.
 *
 *     #include <libzuc/zuc.hpp>
 *     auto q = zuc::queue<Job>::make(16);
 *     zuc::slist<Job, &Job::next, std::compare_three_way> jobs;
 */
#ifndef LIBZUC_ZUC_HPP
#define LIBZUC_ZUC_HPP

#include <libzuc/detail.hpp> // first: it stops a compile before C++20
#if __cplusplus >= 202002L

#include <libzuc/crc16.hpp>
#include <libzuc/dlist.hpp>
#include <libzuc/hashtab.hpp>
#include <libzuc/llist.hpp>
#include <libzuc/mempool.hpp>
#include <libzuc/searchmap.hpp>
#include <libzuc/slidingaverage.hpp>
#include <libzuc/slist.hpp>
#include <libzuc/zucmem.hpp>
#include <libzuc/zuqueue.hpp>

#endif // C++20
#endif
