// A consumer's own header of a common name: the library's headers must never pick it up.
#error "a library header included the consumer's Export.h"
