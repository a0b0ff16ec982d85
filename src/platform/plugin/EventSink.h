#ifndef TAVIMOR_EVENT_SINK_H
#define TAVIMOR_EVENT_SINK_H
/*
 * The binary contract between the store's event service and a store event sink.
 *
 * A sink library is a component library of the application catalog (it exports
 * tv_component_identity, see platform/plugin/ComponentIdentity.h) that also
 * exports the function named by TV_SINK_ONSYNCSAVE_SYMBOL. The store calls it
 * synchronously inside the save of every visible item that a registration item
 * of its folder selects (event method "onsyncsave", match scope and criteria of
 * the registration), before the save's write transaction begins: a sink may take
 * its time without holding up other writers of the store. The sink answers
 * TV_SINK_CONTINUE (the save goes on) or TV_SINK_ABORT (the save is cancelled:
 * the item is not stored; what the sink saved through save_item is).
 *
 * The sink sees the item's properties and a narrow set of services of the store
 * and the directory; it never opens the store itself. Strings are UTF-8 and live
 * only for the duration of the call that hands them over; services hand results
 * to a callback for the same reason. Structures begin with their size so that a
 * newer host can grow them: a sink reads only the members its ABI version knows.
 *
 * Version history: 1, the first; directory_stamp was added at the end of
 * tv_sink_host later (a sink checks `size` before calling it).
 */

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TV_SINK_ABI 1
#define TV_SINK_ONSYNCSAVE_SYMBOL "tv_sink_onsyncsave"

/* Verdict of the sink. */
#define TV_SINK_CONTINUE 0
#define TV_SINK_ABORT 1

/* Results of the services. */
#define TV_OK 0
#define TV_NOT_FOUND 1     /* the directory or the store holds no such object */
#define TV_UNAVAILABLE 2   /* the directory or the store could not answer */
#define TV_FAILED 3        /* the request was refused or broke off */

/* One property: its name, its type (ADO numbering: 8 text, 11 boolean, 3 and 20
 * integers, 5 double, 7 date) and its value as text (booleans "true"/"false",
 * numbers in C notation, dates in ISO 8601). A null value has value NULL. */
struct tv_property {
    const char* name;
    int type;
    const char* value;
};

/* A directory object as the sink needs it. Absent attributes are NULL. */
struct tv_directory_object {
    const char* dn;
    const char* kind;        /* "user", "group", "contact", "pf" or "other" */
    const char* mail;
    const char* alias;       /* mailNickname */
    const char* home_mdb;    /* homeMDB: the DN of the mailbox store */
    const char* markers;     /* extensionAttribute10, as stored */
};

typedef void (*tv_object_fn)(void* user, const struct tv_directory_object* object);
typedef void (*tv_text_fn)(void* user, const char* text);

struct tv_sink_host {
    size_t size;             /* sizeof(struct tv_sink_host) of the host */
    int abi;                 /* TV_SINK_ABI of the host */
    void* context;           /* passed back to every service */

    /* Directory. The object whose mail or SMTP proxy address is `address`
     * (letter case ignored). */
    int (*find_address)(void* context, const char* address, tv_object_fn found, void* user);
    /* The object with that distinguished name. */
    int (*find_dn)(void* context, const char* dn, tv_object_fn found, void* user);
    /* The journal recipient (a DN) of a mailbox store; TV_NOT_FOUND when the
     * store journals nothing. */
    int (*journal_recipient)(void* context, const char* store_dn, tv_text_fn found, void* user);
    /* The members of a group, one callback each, groups within expanded. */
    int (*group_members)(void* context, const char* group_dn, tv_object_fn member, void* user);

    /* Store (the store of the saved item). The URL of the inbox of the mailbox
     * named `mailbox` (alias or local part of the address). */
    int (*mailbox_inbox)(void* context, const char* mailbox, tv_text_fn found, void* user);
    /* The URL of the mail-enabled public folder with that address. */
    int (*public_folder)(void* context, const char* address, tv_text_fn found, void* user);
    /* The URL of the store's queue of messages for outside addresses. */
    int (*outbound_queue)(void* context, tv_text_fn found, void* user);
    /* Saves a new visible item with these properties in the folder; the item's
     * URL goes to `saved`. Items saved here raise no store events. They are
     * written in the write transaction that ends the save, whether the sink lets
     * it go on or cancels it; when that transaction fails, none of them is. On
     * failure nothing of the item remains and `saved` receives the reason. */
    int (*save_item)(void* context, const char* folder_url, const struct tv_property* properties,
                     size_t count, tv_text_fn saved, void* user);

    /* Directory. A text that changes whenever anything the directory services
     * answer changes (the server and its highest committed update number). */
    int (*directory_stamp)(void* context, tv_text_fn found, void* user);
};

struct tv_sink_event {
    size_t size;                              /* sizeof(struct tv_sink_event) of the host */
    const char* item_url;                     /* the item being saved */
    const char* folder_url;                   /* its folder, which holds the registration */
    const char* folder_owner;                 /* the folder's mailbox name, or the public
                                                 folder's address */
    int folder_is_public;                     /* 1: a public folder */
    const struct tv_property* properties;     /* the item as it is about to be stored */
    size_t property_count;
    const struct tv_property* registration;   /* the registration item's properties */
    size_t registration_count;
};

typedef int (*tv_sink_onsyncsave_fn)(const struct tv_sink_host* host, const struct tv_sink_event* event);

#ifdef __cplusplus
}
#endif

#endif /* TAVIMOR_EVENT_SINK_H */
